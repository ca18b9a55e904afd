#include "channels/mms_file.h"

#include "core/paths.h"

CMmsSerialize::CMmsSerialize(const QString& title, std::vector<MMSCONTENT>* frames)
    : m_title(title), m_frames(frames) {}

bool CMmsSerialize::Store(QIODevice&) {
    return false;
}

bool CMmsSerialize::Parse(QIODevice&) {
    return false;
}

bool CMmsSerialize::Load(QIODevice&, const QString&) {
    return false;
}

QByteArray MmsTitleBytes(const QString&) {
    return {};
}

QString MmsPartFolder() {
    return AppPath(QStringLiteral("MMS"));
}

bool ExportMms(const QString&, const QString&, const std::vector<MMSCONTENT>&) {
    return false;
}

bool ImportMms(const QString&, QString*, std::vector<MMSCONTENT>*, const QString&) {
    return false;
}
