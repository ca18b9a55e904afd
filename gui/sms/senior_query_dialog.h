#pragma once
// The advanced query: a condition built from the chosen fields. Comes in a
// later version: for now a placeholder.
#include "gui/widgets/placeholder_dialog.h"

#include <QStringList>

class CDlgSeniorQuery : public PlaceholderDialog {
    Q_OBJECT
public:
    explicit CDlgSeniorQuery(QWidget* parent = nullptr);

    // Contacts mode: the condition leaves out the draft and failure terms.
    void SetContactsMode(bool contactsMode);
    // The visible fields' display names and column names; they stay the caller's.
    void SetFields(const QStringList* displayNames, const QStringList* columnNames);

signals:
    // On confirmation: the condition, an SQL fragment beginning " AND".
    void ConditionChosen(const QString& condition);

private:
    bool m_contactsMode = false;
    const QStringList* m_displayNames = nullptr;
    const QStringList* m_columnNames = nullptr;
};
