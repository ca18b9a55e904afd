#include "contacts/contact_fields.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/sql.h"

namespace {

const char kFieldRefError[] = "查询ID和名称时出错了";
const char kFieldValueError[] = "查询字段值时出错了";

// The first fieldDisplay row of the display name; an empty reference when
// there is none.
NAMEORID FindFieldRef(sqlite3* db, const QString& name) {
    NAMEORID ref;
    SqlStatement st(db, "SELECT nameOfValue,fieldID FROM fieldDisplay WHERE name=?1");
    st.bind(1, name);
    const int rc = st.step();
    if (rc == SQLITE_ROW) {
        ref.nameOfValue = st.qtext(0);
        ref.fieldID = static_cast<int>(st.int64(1));
    } else if (rc != SQLITE_DONE) {
        LogSqlError(SqlErrorText(db), rc, kFieldRefError);
    }
    return ref;
}

QString ReadFieldValue(sqlite3* db, const QString& column, const QString& mobile, int64_t perNO) {
    if (column.isEmpty())
        return {};
    const std::string name = UnicodeToUtf8(column);
    // The column name comes from the database, so it enters the statement
    // only when it really is a column of ContactList.
    if (!IsTableColumn(db, "ContactList", name)) {
        LogSqlError("no such column: " + LogEscape(column), SQLITE_ERROR, kFieldValueError);
        return {};
    }
    const std::string select = "SELECT " + name + ",count(" + name + ") FROM  ContactList WHERE ";
    SqlStatement st(db, perNO != 0 ? select + "perNO=?1" : select + "mobileNum=?1 AND isDeleted=0 limit 1");
    if (perNO != 0)
        st.bind(1, perNO);
    else
        st.bind(1, mobile);
    const int rc = st.step();
    if (rc == SQLITE_ROW)
        return st.qtext(0);
    if (rc != SQLITE_DONE)
        LogSqlError(SqlErrorText(db), rc, kFieldValueError);
    return {};
}

} // namespace

std::vector<NAMEORID> GetContactFieldValues(QStringList& out, const QStringList& names, const QString& mobile,
                                            int64_t perNO, sqlite3* db) {
    std::vector<NAMEORID> refs;
    refs.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names) {
        NAMEORID ref = FindFieldRef(db, name);
        QString value = ReadFieldValue(db, ref.nameOfValue, mobile, perNO);
        if (value == QStringLiteral("男"))
            value = QStringLiteral("先生");
        else if (value == QStringLiteral("女"))
            value = QStringLiteral("女士");
        out << value;
        refs.push_back(std::move(ref));
    }
    return refs;
}

std::vector<FIELDINFO> LoadFieldInfo(const QString& condition, sqlite3* db) {
    std::vector<FIELDINFO> fields;
    SqlStatement st(db, "SELECT name,nameOfValue,fieldID FROM fieldDisplay WHERE inUse=1 AND isVisible=1 " +
                            UnicodeToUtf8(condition) + " ORDER BY indexField");
    int rc = st.ok() ? SQLITE_ROW : st.prepareResult();
    while (st.ok() && (rc = st.step()) == SQLITE_ROW)
        fields.push_back({st.qtext(0), st.qtext(1), static_cast<int>(st.int64(2))});
    if (rc != SQLITE_DONE)
        LogSqlError(SqlErrorText(db), rc, "查询在用且可见的字段时出错了");
    return fields;
}

QStringList VisibleFieldNames(const QString& condition, sqlite3* db) {
    QStringList names;
    for (const FIELDINFO& f : LoadFieldInfo(condition, db))
        names << f.name;
    return names;
}
