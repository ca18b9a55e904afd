#include "gui/channels/send_sound_dialog.h"

CDlgSendSound::CDlgSendSound(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgSendSound", QT_TRANSLATE_NOOP("CDlgSendSound", "语音群发")) {}

void CDlgSendSound::SetRecipientSource(const ContactSelection* selection) { m_selection = selection; }
