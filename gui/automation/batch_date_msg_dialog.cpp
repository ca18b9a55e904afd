#include "gui/automation/batch_date_msg_dialog.h"

CDlgBatchDateMSG::CDlgBatchDateMSG(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgBatchDateMSG", QT_TRANSLATE_NOOP("CDlgBatchDateMSG", "批量日期短信")) {}
