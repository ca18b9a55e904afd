#pragma once
// The interactive SMS rules as they are stored: each rule is a name, a reply
// text and a ready SELECT of the senders (sendNum of receivedMSGRecord) whose
// messages meet all of the rule's conditions; its condition rows are kept
// beside it only to show them again. The received-traffic job runs the
// statements; this builds, saves, opens, lists and deletes them.
#include "contacts/contact_fields.h"
#include "core/database.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One condition as the list shows it: field and comparison by their display
// names, the value as typed.
struct RuleCondition {
    QString field;
    QString symbol;
    QString value;
    bool operator==(const RuleCondition&) const = default;
};

// The condition field that reads the received text itself, and the contact
// field whose conditions read the sender's number of the received message.
inline constexpr QStringView kRuleTextField = u"短信内容";
inline constexpr QStringView kRuleNumberField = u"手机或小灵通";

// The six comparisons by display name, in the order the combo lists them.
QStringList RuleComparisonNames();

// The SQL operator of a comparison and the value as it enters the statement
// ("%v%" for 包含, "v%" for 开始于, else as typed; "%" and "_" typed by the
// user stay wildcards). False for a name that is not one of the six.
bool RuleComparisonSql(const QString& symbol, const QString& value, std::string* op, QString* sqlValue);

// The stored statement of a rule. Conditions on the text or the number go
// into the received clause, any other field's into the contact clause by its
// column; with no contact condition the statement is
//   "select sendNum from receivedMSGRecord<TAB>where 1=1 <received> "
// else
//   "select sendNum from receivedMSGRecord<TAB>where 1=1 <received> and sendNum in <7 TABs>( select
//    distinct mobileNum  from ContactList where 1=1 <contact>)"
// Each value is quoted with SqlEscape. Empty (and logged) when a row names
// an unknown field or comparison, or a field whose column is not one of
// ContactList's.
std::optional<std::string> BuildRuleStatement(const std::vector<RuleCondition>& rows,
                                              const std::vector<FIELDINFO>& fields, sqlite3* db = g_pDB);

// Rule names, ordered by name ("SELECT name FROM interactiveMsgSql ORDER BY name").
QStringList ListRuleNames(sqlite3* db = g_pDB);

struct RuleListEntry {
    QString name;
    int64_t recID = 0;
};
// "SELECT name,recID FROM interactiveMsgSql ORDER BY name".
std::vector<RuleListEntry> ListRules(sqlite3* db = g_pDB);

// True when a rule of exactly this name is stored.
bool RuleNameExists(const QString& name, sqlite3* db = g_pDB);

// Stores a rule under a new id (from AllocateId) in one transaction: with
// `replace`, the rule of that name and its condition rows go first. Name,
// reply, statement and rows are bound values. On any failure the transaction
// is rolled back, so a rule being replaced keeps its rows, the failing step
// is logged, and 0 is returned; otherwise the new id.
int64_t SaveRule(const QString& name, bool replace, const QString& reply, const std::string& statement,
                 const std::vector<RuleCondition>& rows, sqlite3* db = g_pDB);

// A stored rule's condition rows, in stored order, and its reply.
struct OpenedRule {
    std::vector<RuleCondition> rows;
    QString reply;
};
// Empty when the rule has no rows or the query failed (logged).
std::optional<OpenedRule> OpenRule(int64_t recID, sqlite3* db = g_pDB);

// Deletes the rule and its condition rows in one transaction; false (logged,
// nothing deleted) on a failure.
bool DeleteRule(int64_t recID, sqlite3* db = g_pDB);

// The unsubscribe code of the account: [Td] TdContact of its settings file.
QString ReadUnsubscribeCode(const QString& accountIni);
bool WriteUnsubscribeCode(const QString& accountIni, const QString& code);
