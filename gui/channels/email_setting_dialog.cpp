#include "gui/channels/email_setting_dialog.h"

DlgEmailSetting::DlgEmailSetting(QWidget* parent)
    : PlaceholderDialog(parent, "DlgEmailSetting",
                        QT_TRANSLATE_NOOP("DlgEmailSetting", "收取邮件并将其内容发送短信相关设置")) {}
