#pragma once
// The address-list picker without its window: the statements it runs for a
// group, letter, field condition, row range or advanced condition, its sort
// order, and what it hands its opener, deletes and exports.
#include "contacts/contact_list_query.h"
#include "contacts/contact_selection.h"
#include "core/database.h"

#include <QChar>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <map>
#include <optional>
#include <vector>

// The conditions of the picker's condition list, in list order.
enum class FieldCondition { Greater, Less, Equal, Contains, NotEqual, GreaterOrEqual, LessOrEqual };
inline constexpr int kFieldConditionCount = 7;
// The untranslated texts of the condition list ("大于", ... "小于或等于").
const char* FieldConditionText(FieldCondition condition);

// " AND <column> <operator>'<content>'": the content as a quoted literal
// (quotes doubled; "%" and "_" stay wildcards of LIKE), "包含" compares with
// LIKE and appends "%". Empty when the content is empty or `column` is not
// a column of ContactList.
QString BuildFieldCondition(const QString& column, FieldCondition condition, const QString& content,
                            sqlite3* db = g_pDB);

// A row-number range "序号" s to e: rows s..e of the list, numbered from s.
struct RowNumberRange {
    int start = 1;
    std::optional<int> end; // none: to the end of the list
};
enum class RowRangeResult {
    None,    // no start given: no range
    Invalid, // a start not above 0 (or not a number): string 158
    Range,
};
// Reads start and end as leading numbers; an empty end runs to the end.
RowRangeResult ParseRowRange(const QString& startText, const QString& endText, RowNumberRange& range);
// " LIMIT <e-s+1> OFFSET <s-1>" (LIMIT -1 without an end; LIMIT 0 when e < s).
QString RowRangeClause(const RowNumberRange& range);
// The rows the range leaves of `total` rows.
qint64 RowRangeCount(const RowNumberRange& range, qint64 total);

// " AND ( groupID=1 OR  groupID=2) "; empty when no group is ticked or the
// root (0, all contacts) is among them.
QString GroupCondition(const std::vector<qint64>& tickedGroups);
// " AND firstLetter='A'".
QString LetterCondition(QChar letter);

// The column a click on picker list column `listColumn` sorts by: none for
// the tick and row-number columns, groupID for the group column, then the
// visible fields (`fieldColumns`) from list column 3.
std::optional<QString> PickerSortColumn(int listColumn, const QStringList& fieldColumns);

// The picker's own sort state, for the process (the pane keeps its own, so
// neither flips the other's order). Its Click gives the ORDER BY clause;
// after Reset the default order is kDefaultContactOrder.
SortState& PickerSortState();

// The statements of one picker query.
struct AddressListQuery {
    QString listSql;           // fetches perNO, groupID, the field columns, rowid last; with the range
    QString unrangedSql;       // the same without the range, for a row source that applies it itself
    QString countSql;          // COUNT over the condition, without the range
    bool indexedOrder = false; // all contacts in kDefaultContactOrder: an index serves it
    std::optional<RowNumberRange> range;
    int rowNumberBase = 1; // the number shown for the first row
    int mobileColumn = -1; // fetched column of mobileNum, -1 when not shown
};
// `condition`: group, letter, field and advanced conditions as built above.
// Field columns that are not columns of ContactList are left out.
AddressListQuery BuildAddressListQuery(const QStringList& fieldColumns, const QString& condition,
                                       const QString& orderClause, const std::optional<RowNumberRange>& range,
                                       sqlite3* db = g_pDB);
// What the picker's controls hold when it queries.
struct AddressListInputs {
    std::vector<qint64> tickedGroups; // item data of the ticked tree items (0 = the root)
    QChar letter;                     // null: no letter button
    int queryField = 1;               // 0 "序号" (row numbers), n the n-th field column
    FieldCondition condition = FieldCondition::Contains;
    QString content;  // the query content, or the start of the row range
    QString rangeEnd; // the end of the row range
};

// The condition of the picker's queries, with the advanced condition that
// lasts once it has been given.
class AddressListFilter {
public:
    // Group, letter, field or row-range condition, then the advanced one.
    // Once an advanced condition is set the content is ignored (no field
    // condition, no range). `fieldColumns`: the field columns in the order
    // of the query field list (its entry n is fieldColumns[n - 1]).
    // RowRangeResult::Invalid when the range's start is refused: nothing is
    // built then.
    RowRangeResult Build(const AddressListInputs& inputs, const QStringList& fieldColumns, QString& condition,
                         std::optional<RowNumberRange>& range, sqlite3* db = g_pDB) const;

    void SetAdvancedCondition(const QString& condition) {
        m_advancedCondition = condition;
        m_useAdvanced = true;
    }
    bool UsesAdvanced() const { return m_useAdvanced; }
    const QString& AdvancedCondition() const { return m_advancedCondition; }

private:
    QString m_advancedCondition;
    bool m_useAdvanced = false;
};

// The rows the query lists (its COUNT, cut by the range); -1 when the count
// failed (logged "查询界面加载联系人列表出错了").
qint64 CountAddressList(const AddressListQuery& query, sqlite3* db = g_pDB);

// Who opened the picker: it decides which column is the number handed back.
enum class PickerMode { Sms, Mms, Voice, Fax, Email, Task, Query };
// mobileNum, or conFax for fax, eMail for e-mail.
const char* PickerNumberColumn(PickerMode mode);

// One contact handed back by the picker's OK.
struct PickedContact {
    QString number;
    QString name;
    qint64 perNO = 0;
};

// The opener's side of the picker's OK: called once, synchronously, with
// one entry per ticked row that has a number, in list order. The list is
// valid only during the call; copy what is needed.
class PickedContactsReceiver {
public:
    virtual ~PickedContactsReceiver() = default;
    virtual void ReceivePickedContacts(const std::vector<PickedContact>& contacts) = 0;
};

// The picker's entry for a condition from the advanced query dialog: a SQL
// fragment that begins with a blank and AND, appended as given to every
// later query of the picker.
class AdvancedConditionTarget {
public:
    virtual ~AdvancedConditionTarget() = default;
    virtual void ApplyAdvancedCondition(const QString& condition) = 0;
};

// The ticked rows of `selection` that have a number in `numberColumn`, in
// list order, values as stored. False when the query failed (logged "出错了").
bool CollectPickedContacts(const ContactSelection& selection, const char* numberColumn,
                           std::vector<PickedContact>& contacts, sqlite3* db = g_pDB);

// Deletes exactly the ticked rows by rowid, in one transaction (a failure
// logs "删除联系人主表出错了" and deletes nothing). The rows deleted; -1 on
// failure.
qint64 DeleteTickedContacts(const ContactSelection& selection, sqlite3* db = g_pDB);

// Writes every row of the query to `path` as sheet "addList": the header
// "所属分组" and `fieldNames`, then each row as the list shows it (group
// name, field texts, the mobile number masked as on screen). 162 on
// success, 194 when the file could not be written or the rows read.
int ExportAddressList(const QString& path, const AddressListQuery& query, const QStringList& fieldNames,
                      const std::map<qint64, QString>& groupNames, sqlite3* db = g_pDB);
