#include "gui/channels/send_email_dialog.h"

CDlgSendEmail::CDlgSendEmail(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgSendEmail", QT_TRANSLATE_NOOP("CDlgSendEmail", "群发邮件")) {}

void CDlgSendEmail::SetAddresses(const QStringList& addresses) {
    m_addresses = addresses;
}
