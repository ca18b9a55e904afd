#include "gui/sms/per_msg_dialog.h"

CDlgPerMSG::CDlgPerMSG(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgPerMSG", QT_TRANSLATE_NOOP("CDlgPerMSG", "个性短信")) {}
