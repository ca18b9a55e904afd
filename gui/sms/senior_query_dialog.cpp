#include "gui/sms/senior_query_dialog.h"

CDlgSeniorQuery::CDlgSeniorQuery(QWidget* parent)
    : PlaceholderDialog(parent, "CDlgSeniorQuery", QT_TRANSLATE_NOOP("CDlgSeniorQuery", "高级查询")) {}

void CDlgSeniorQuery::SetContactsMode(bool contactsMode) {
    m_contactsMode = contactsMode;
}

void CDlgSeniorQuery::SetFields(const QStringList* displayNames, const QStringList* columnNames) {
    m_displayNames = displayNames;
    m_columnNames = columnNames;
}
