#include "contacts/contact_save.h"

#include "core/numbers.h"
#include "core/sql.h"

#include <algorithm>
#include <string>

namespace {

constexpr char kSaveFailure[] = "CDlgContactInfo::AddContact中SQL语句pSqlForInsert执行错误";

// Columns 26..39 of the table hold the user-defined fields 21..34.
constexpr int kFirstUserColumn = 25;

std::string InsertSql() {
    std::string sql = "INSERT INTO ContactList(";
    sql += ContactColumnList();
    sql += ") VALUES(";
    sql += SqlParameterList(kContactColumnCount);
    return sql + ")";
}

void BindInsert(SqlStatement& st, const CONTACTINFO& record, int group, qint64 perNO, int displayIndex) {
    for (int field = 1; field <= 20; ++field)
        st.bind(field, *ContactText(record, field));
    st.bind(21, group);
    st.bind(22, static_cast<int64_t>(perNO));
    st.bind(23, 0);
    st.bind(24, "");
    st.bind(25, displayIndex);
    for (int field = 21; field <= 34; ++field)
        st.bind(kFirstUserColumn + field - 20, *ContactText(record, field));
}

bool Kept(const ContactSaveTarget& target, int field) {
    return std::find(target.keptFields.begin(), target.keptFields.end(), field) != target.keptFields.end();
}

// Updates the opened row: every field but the kept ones, its group, and an
// empty firstLetter so the initials are made again from the new name.
bool UpdateOpenedRow(sqlite3* db, const CONTACTINFO& record, const ContactSaveTarget& target) {
    std::string sql = "UPDATE ContactList SET ";
    std::vector<int> fields;
    for (int field = 1; field <= 34; ++field) {
        if (field > 20 && Kept(target, field))
            continue;
        const int column = field <= 20 ? field - 1 : kFirstUserColumn + field - 21;
        sql += kContactColumns[column];
        sql += "=?,";
        fields.push_back(field);
    }
    sql += "groupID=?,isDeleted=0,firstLetter='' WHERE rowid=?";
    SqlStatement st(db, sql);
    if (!st.ok())
        return false;
    int index = 1;
    for (int field : fields)
        st.bind(index++, *ContactText(record, field));
    st.bind(index++, target.rowGroupId);
    st.bind(index, static_cast<int64_t>(target.rowid));
    return st.exec() == SQLITE_OK;
}

} // namespace

int NextContactDisplayIndex(sqlite3* db) {
    SqlStatement st(db, "SELECT MIN(displayIndex) FROM ContactList");
    if (!st.ok() || st.step() != SQLITE_ROW || st.isNull(0))
        return -1;
    return static_cast<int>(st.int64(0)) - 1;
}

ContactSaveResult SaveContact(CONTACTINFO& record, ContactSaveTarget& target, sqlite3* db) {
    record.name = record.name.trimmed();
    record.mobileNum = record.mobileNum.trimmed();
    if (record.groupIds.empty() || record.mobileNum.isEmpty())
        return ContactSaveResult::MissingRequired;
    if (!IsLegalNumber(record.mobileNum))
        return ContactSaveResult::IllegalNumber;

    std::vector<quint32> added;
    for (quint32 group : record.groupIds) {
        const bool old = target.existing && std::find(target.oldGroups.begin(), target.oldGroups.end(),
                                                      group) != target.oldGroups.end();
        if (!old && std::find(added.begin(), added.end(), group) == added.end())
            added.push_back(group);
    }
    // The opened row takes the edit even when its own group was unticked:
    // the editor never deletes, so the row stays in that group, and leaving
    // it as it was would drop what the user typed while reporting a save.
    const bool updateOpened = target.existing && target.rowid > 0;

    auto fail = [db] {
        LogSqlError(sqlite3_errmsg(db), 1, kSaveFailure);
        return ContactSaveResult::Failed;
    };
    SqlTransaction transaction(db);
    if (!transaction.active())
        return fail();
    int displayIndex = target.nextDisplayIndex;
    if (!added.empty()) {
        const int64_t firstPerNO = AllocateId(db, "ContactList", "perNO", static_cast<int64_t>(added.size()));
        if (firstPerNO <= 0)
            return fail();
        SqlStatement insert(db, InsertSql());
        if (!insert.ok())
            return fail();
        int64_t perNO = firstPerNO;
        for (quint32 group : added) {
            insert.reset();
            BindInsert(insert, record, static_cast<int>(group), perNO++, displayIndex--);
            if (insert.exec() != SQLITE_OK)
                return fail();
        }
    }
    if (updateOpened && !UpdateOpenedRow(db, record, target))
        return fail();
    if (transaction.commit() != SQLITE_OK)
        return fail();
    target.nextDisplayIndex = displayIndex;
    return ContactSaveResult::Saved;
}
