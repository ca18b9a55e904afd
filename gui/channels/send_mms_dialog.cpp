#include "gui/channels/send_mms_dialog.h"

CDlgSendMMS::CDlgSendMMS(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgSendMMS", QT_TRANSLATE_NOOP("CDlgSendMMS", "发送彩信")) {}

void CDlgSendMMS::SetPersonalised(bool personalised) {
    m_personalised = personalised;
}

void CDlgSendMMS::SetRecipientSource(const ContactSelection* selection) { m_selection = selection; }
