#pragma once
// The voice composer. Comes in a later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <set>

class CDlgSendSound : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSendSound(QWidget* parent = nullptr);

    // The recipients: the contacts of `listSql` (a ContactList statement
    // with its ORDER BY) whose row numbers are in `tickedRows`, which stays
    // the caller's.
    void SetRecipientSource(const QString& listSql, const std::set<int>* tickedRows);

private:
    QString m_listSql;
    const std::set<int>* m_tickedRows = nullptr;
};
