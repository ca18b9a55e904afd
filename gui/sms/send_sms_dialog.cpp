#include "gui/sms/send_sms_dialog.h"

CDlgSendSMS::CDlgSendSMS(QWidget* parent, int numberListSource)
    : PlaceholderDialog(parent, "CDlgSendSMS", nullptr), m_numberListSource(numberListSource) {}

void CDlgSendSMS::SetNumbersAndContent(const QStringList& numbers, const QString& content) {
    m_numbers = numbers;
    m_content = content;
}

void CDlgSendSMS::SetNetMessages(bool netMode, const std::vector<NET_SMS>* messages) {
    m_netMode = netMode;
    m_netMessages = messages;
}

void CDlgSendSMS::SetRecipientSource(const ContactSelection* selection) { m_selection = selection; }
