#pragma once
// The voice composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

class ContactSelection;


class CDlgSendSound : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendSound(QWidget* parent = nullptr);

    // The recipients: the ticked contacts of the caller's list; the
    // selection stays the caller's.
    void SetRecipientSource(const ContactSelection* selection);

private:
    const ContactSelection* m_selection = nullptr;
};
