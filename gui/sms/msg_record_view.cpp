#include "gui/sms/msg_record_view.h"

CDlgMsgRecord::CDlgMsgRecord(QWidget* parent) : PlaceholderView(parent, "CDlgMsgRecord") {}

void CDlgMsgRecord::QueryRecords(qint64 code, const QString& filter, int sortColumn) {
    (void)sortColumn;
    QString detail = QString::number(code);
    if (!filter.isEmpty())
        detail += QLatin1Char('\n') + filter;
    SetDetail(detail);
}
