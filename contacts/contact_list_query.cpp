#include "contacts/contact_list_query.h"

#include "core/log.h"
#include "core/sql.h"

#include <atomic>

namespace {

std::vector<VisibleField>& Registry() {
    static std::vector<VisibleField> fields;
    return fields;
}

std::atomic<int> g_listRowCount{0};

} // namespace

bool VisibleFieldRegistry::Rebuild(sqlite3* db) {
    std::vector<VisibleField>& fields = Registry();
    fields.clear();
    SqlStatement st(db, "SELECT name,nameOfValue,indexField, fieldID FROM fieldDisplay WHERE isVisible=1 AND "
                        "inUse=1 ORDER BY indexField, fieldID");
    if (!st.ok())
        return false;
    std::vector<VisibleField> read;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        VisibleField f;
        f.name = st.qtext(0);
        f.nameOfValue = st.qtext(1);
        f.indexField = static_cast<int>(st.int64(2));
        f.fieldId = static_cast<int>(st.int64(3));
        read.push_back(f);
    }
    // Only real columns become list columns: their names go into statements.
    for (const VisibleField& f : read)
        if (IsTableColumn(db, "ContactList", f.nameOfValue.toStdString()))
            fields.push_back(f);
    return rc == SQLITE_DONE;
}

const std::vector<VisibleField>& VisibleFieldRegistry::Fields() {
    return Registry();
}

QStringList VisibleFieldRegistry::DisplayNames() {
    QStringList names;
    for (const VisibleField& f : Registry())
        names << f.name;
    return names;
}

QStringList VisibleFieldRegistry::ColumnNames() {
    QStringList names;
    for (const VisibleField& f : Registry())
        names << f.nameOfValue;
    return names;
}

int VisibleFieldRegistry::IndexOfName(const QString& displayName) {
    const std::vector<VisibleField>& fields = Registry();
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == displayName)
            return static_cast<int>(i);
    return -1;
}

int VisibleFieldRegistry::IndexOfColumn(const QString& column) {
    const std::vector<VisibleField>& fields = Registry();
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].nameOfValue.compare(column, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

int VisibleFieldRegistry::ListRowCount() {
    return g_listRowCount.load();
}
void VisibleFieldRegistry::SetListRowCount(int rows) {
    g_listRowCount.store(rows);
}

void SortState::Reset() {
    m_column = -1;
    m_direction = 0;
    m_columnName.clear();
}

QString SortState::Click(int column, const QString& columnName, Kind kind) {
    const bool same = m_direction != 0 && columnName.compare(m_columnName, Qt::CaseInsensitive) == 0;
    QString order;
    if (same && m_direction == 1) {
        order = kind == Kind::Normal ? QStringLiteral(" ORDER BY %1 collate pinyin DESC, rowid")
                                     : QStringLiteral(" ORDER BY %1  collate pinyin DESC, rowid");
        m_direction = -1;
    } else {
        order = QStringLiteral(" ORDER BY %1  collate pinyin ASC, rowid");
        m_direction = 1;
    }
    m_column = column;
    m_columnName = columnName;
    return order.arg(columnName);
}

SortState& SortState::Pane(Kind kind) {
    static SortState normal;
    static SortState duplicates;
    return kind == Kind::Normal ? normal : duplicates;
}

ContactListQuery BuildContactListQuery(int groupId, bool duplicates, const QString& orderBy,
                                       const std::vector<VisibleField>& fields) {
    ContactListQuery q;
    q.columns = QStringLiteral("perNO,displayIndex");
    for (size_t i = 0; i < fields.size(); ++i) {
        q.columns += QLatin1Char(',') + fields[i].nameOfValue;
        if (q.mobileColumn == 0 &&
            fields[i].nameOfValue.compare(QLatin1String("mobileNum"), Qt::CaseInsensitive) == 0)
            q.mobileColumn = static_cast<int>(i) + 1;
    }
    // The rowid comes last, so list column c still shows fetched column c.
    q.columns += QStringLiteral(",rowid");

    if (!duplicates) {
        q.listSql = QStringLiteral("SELECT  %1 FROM contactList WHERE 1=1  ").arg(q.columns);
        q.countSql = QStringLiteral("SELECT COUNT(perNO) FROM contactList WHERE 1=1 ");
        if (groupId > 0) {
            q.listSql += QStringLiteral("AND groupID=%1").arg(groupId);
            q.countSql += QStringLiteral("AND groupID=%1").arg(groupId);
        }
    } else if (groupId >= 1) {
        q.listSql =
            QStringLiteral("SELECT  %1 FROM contactList WHERE  mobileNum in (select mobileNum from "
                           "contactList \t\t\t\t\t\t\t\t\t\t  where  groupID=%2 Group By mobileNum Having "
                           "Count(mobileNum)>1 ) and groupID=%2")
                .arg(q.columns)
                .arg(groupId);
        q.countSql =
            QStringLiteral("SELECT  COUNT(perNO) FROM contactList WHERE  mobileNum in (select mobileNum "
                           "from contactList \t\t\t\t\t\t\t\twhere  groupID=%1 Group By mobileNum Having "
                           "Count(mobileNum)>1 ) and groupID=%1 ORDER BY mobileNum")
                .arg(groupId);
    } else {
        q.listSql =
            QStringLiteral("SELECT  %1 FROM contactList WHERE  mobileNum in \t\t\t\t\t\t\t\t\t  (select "
                           "mobileNum from contactList \twhere 1=1 Group By mobileNum Having "
                           "Count(mobileNum)>1)")
                .arg(q.columns);
        q.countSql =
            QStringLiteral("SELECT COUNT(perNO) FROM contactList WHERE  mobileNum in \t\t\t\t\t\t\t(select "
                           "mobileNum from contactList \twhere 1=1 Group By mobileNum Having "
                           "Count(mobileNum)>1) ORDER BY mobileNum");
    }
    q.listSql += orderBy;
    // Only a group's default order is served by an index (groupID,
    // displayIndex); every other list fixes its order once.
    q.order = !duplicates && groupId > 0 && orderBy == QLatin1String(kDefaultContactOrder) ? RowOrder::Paged
                                                                                           : RowOrder::Fixed;
    return q;
}
