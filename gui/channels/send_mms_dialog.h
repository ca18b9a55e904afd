#pragma once
// The MMS composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <set>

class CDlgSendMMS : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendMMS(QWidget* parent = nullptr);

    // Personalised mode (one text per recipient).
    void SetPersonalised(bool personalised);
    // The recipients: the contacts of `listSql` (a ContactList statement
    // with its ORDER BY) whose row numbers are in `tickedRows`, which stays
    // the caller's.
    void SetRecipientSource(const QString& listSql, const std::set<int>* tickedRows);

private:
    bool m_personalised = false;
    QString m_listSql;
    const std::set<int>* m_tickedRows = nullptr;
};
