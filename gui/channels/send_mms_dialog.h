#pragma once
// The MMS composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class ContactSelection;


class CDlgSendMMS : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendMMS(QWidget* parent = nullptr);

    // Personalised mode (one text per recipient).
    void SetPersonalised(bool personalised);
    // The recipients: the ticked contacts of the caller's list; the
    // selection stays the caller's.
    void SetRecipientSource(const ContactSelection* selection);

private:
    bool m_personalised = false;
    const ContactSelection* m_selection = nullptr;
};
