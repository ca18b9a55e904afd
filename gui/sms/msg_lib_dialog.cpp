#include "gui/sms/msg_lib_dialog.h"

CDlgMsgLib::CDlgMsgLib(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgMsgLib", QT_TRANSLATE_NOOP("CDlgMsgLib", "短语库")) {}
