#include "contacts/field_markers.h"

void ExtractFieldTokens(const QString& text, QStringList& out) {
    const QLatin1String open("<%"), close("%>");
    qsizetype from = 0;
    while (true) {
        const qsizetype start = text.indexOf(open, from);
        if (start < 0)
            return;
        const qsizetype end = text.indexOf(close, start + open.size());
        if (end < 0)
            return;
        out << text.mid(start + open.size(), end - start - open.size());
        from = end + close.size();
    }
}
