#pragma once
// The e-mail composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <QStringList>

class CDlgSendEmail : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendEmail(QWidget* parent = nullptr);

    // The recipients' addresses.
    void SetAddresses(const QStringList& addresses);

private:
    QStringList m_addresses;
};
