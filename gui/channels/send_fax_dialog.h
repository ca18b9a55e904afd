#pragma once
// The fax composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <QStringList>

class CDlgSendFax : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendFax(QWidget* parent = nullptr);

    // The recipients' fax numbers.
    void SetNumbers(const QStringList& numbers);

private:
    QStringList m_numbers;
};
