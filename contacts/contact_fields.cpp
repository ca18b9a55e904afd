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

QString SpokenValue(const QString& value) {
    if (value == QStringLiteral("男"))
        return QStringLiteral("先生");
    if (value == QStringLiteral("女"))
        return QStringLiteral("女士");
    return value;
}

} // namespace

std::vector<NAMEORID> GetContactFieldValues(QStringList& out, const QStringList& names, const QString& mobile,
                                            int64_t perNO, sqlite3* db) {
    ContactFieldReader reader(db, names);
    reader.Read(out, mobile, perNO);
    return reader.refs();
}

ContactFieldReader::ContactFieldReader(sqlite3* db, const QStringList& names) : m_db(db) {
    std::vector<std::string> columns;
    for (const QString& name : names) {
        NAMEORID ref = FindFieldRef(db, name);
        int column = -1;
        if (!ref.nameOfValue.isEmpty()) {
            const std::string col = UnicodeToUtf8(ref.nameOfValue);
            // The column name comes from the database, so it enters the
            // statement only when it really is a column of ContactList.
            if (IsTableColumn(db, "ContactList", col)) {
                column = static_cast<int>(columns.size());
                columns.push_back(col);
            } else {
                LogSqlError("no such column: " + LogEscape(ref.nameOfValue), SQLITE_ERROR, kFieldValueError);
            }
        }
        m_columnOf.push_back(column);
        m_refs.push_back(std::move(ref));
    }
    for (const std::string& col : columns)
        m_columns += (m_columns.empty() ? "" : ",") + col;
}

ContactFieldReader::~ContactFieldReader() = default;

SqlStatement* ContactFieldReader::Statement(bool byPerNO) {
    std::unique_ptr<SqlStatement>& st = byPerNO ? m_byPerNO : m_byMobile;
    if (!st) {
        const std::string select = "SELECT " + m_columns + " FROM  ContactList WHERE ";
        st = std::make_unique<SqlStatement>(m_db, byPerNO ? select + "perNO=?1 LIMIT 1"
                                                          : select + "mobileNum=?1 AND isDeleted=0 LIMIT 1");
    }
    return st.get();
}

void ContactFieldReader::Read(QStringList& out, const QString& mobile, int64_t perNO) {
    QStringList values;
    if (!m_columns.empty()) {
        SqlStatement* st = Statement(perNO != 0);
        st->reset();
        if (perNO != 0)
            st->bind(1, perNO);
        else
            st->bind(1, mobile);
        const int rc = st->step();
        if (rc == SQLITE_ROW) {
            for (int i = 0; i < st->columnCount(); ++i)
                values << st->qtext(i);
        } else if (rc != SQLITE_DONE) {
            LogSqlError(SqlErrorText(m_db), rc, kFieldValueError);
        }
    }
    for (const int column : m_columnOf)
        out << (column >= 0 && column < values.size() ? SpokenValue(values[column]) : QString());
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
