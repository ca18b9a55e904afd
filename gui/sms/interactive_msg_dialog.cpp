#include "gui/sms/interactive_msg_dialog.h"

CDlgInteractiveMSG::CDlgInteractiveMSG(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgInteractiveMSG", QT_TRANSLATE_NOOP("CDlgInteractiveMSG", "互动短信")) {}
