#include "gui/sms/received_record_view.h"

CDlgMsgRecord1Received::CDlgMsgRecord1Received(QWidget* parent)
    : PlaceholderView(parent, "CDlgMsgRecord1Received") {}

void CDlgMsgRecord1Received::QueryRecords(const QString& filter, int sortColumn) {
    (void)sortColumn;
    SetDetail(filter);
}
