#include "contacts/group_chooser.h"

#include "contacts/contact_record.h"
#include "core/log.h"
#include "core/sql.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The ticked rows, read before anything is written: the copies land in the
// same table, and a list of all contacts would otherwise meet them again.
bool TickedRowids(const ContactSelection& selection, sqlite3* db, std::vector<qint64>& rowids) {
    rowids.clear();
    return selection.ForEachTicked(db, QStringLiteral("groupID"), [&](SqlStatement&, qint64 rowid) {
        rowids.push_back(rowid);
        return true;
    });
}

void LogFailure() {
    LogWrite(g_logRun, "复制或移动分组出错了");
}

// "INSERT INTO ContactList(groupID,perNO,<the other columns>) SELECT ?,?,<the
// other columns> FROM ContactList WHERE rowid=?".
std::string CopyStatement() {
    std::string others;
    for (const char* column : kContactColumns) {
        if (std::strcmp(column, "groupID") == 0 || std::strcmp(column, "perNO") == 0)
            continue;
        others += ',';
        others += column;
    }
    return "INSERT INTO ContactList(groupID,perNO" + others + ") SELECT ?,?" + others +
           " FROM ContactList WHERE rowid=?";
}

} // namespace

bool CopyContactsToGroups(const ContactSelection& selection, const QList<qint64>& groups, sqlite3* db,
                          qint64* nextPerNo) {
    SqlTransaction tx(db);
    std::vector<qint64> rowids;
    if (!tx.active() || !TickedRowids(selection, db, rowids)) {
        LogFailure();
        return false;
    }
    const qint64 copies = static_cast<qint64>(rowids.size()) * groups.size();
    qint64 perNo = 0;
    if (copies > 0 && (perNo = AllocateId(db, "ContactList", "perNO", copies)) == 0) {
        LogFailure();
        return false;
    }
    SqlStatement insert(db, CopyStatement());
    if (!insert.ok()) {
        LogFailure();
        return false;
    }
    for (qint64 rowid : rowids) {
        for (qint64 group : groups) {
            insert.bind(1, static_cast<int64_t>(group))
                .bind(2, static_cast<int64_t>(perNo++))
                .bind(3, static_cast<int64_t>(rowid));
            if (insert.exec() != SQLITE_OK) {
                LogFailure();
                return false;
            }
        }
    }
    if (tx.commit() != SQLITE_OK) {
        LogFailure();
        return false;
    }
    if (nextPerNo)
        *nextPerNo = perNo;
    return true;
}

bool MoveContactsToGroup(const ContactSelection& selection, qint64 group, sqlite3* db) {
    SqlTransaction tx(db);
    std::vector<qint64> rowids;
    if (!tx.active() || !TickedRowids(selection, db, rowids)) {
        LogFailure();
        return false;
    }
    SqlStatement update(db, "UPDATE ContactList SET groupID=? WHERE rowid=?");
    if (!update.ok()) {
        LogFailure();
        return false;
    }
    for (qint64 rowid : rowids) {
        update.bind(1, static_cast<int64_t>(group)).bind(2, static_cast<int64_t>(rowid));
        if (update.exec() != SQLITE_OK) {
            LogFailure();
            return false;
        }
    }
    if (tx.commit() != SQLITE_OK) {
        LogFailure();
        return false;
    }
    return true;
}

QString GroupCondition(const QList<qint64>& groups) {
    if (groups.isEmpty())
        return QString();
    QStringList terms;
    for (qint64 group : groups)
        terms << QStringLiteral("groupID=%1").arg(group);
    return QStringLiteral(" AND (%1)").arg(terms.join(QLatin1String(" OR ")));
}

bool IsGroupWithin(qint64 group, qint64 ancestor, sqlite3* db) {
    SqlStatement parentOf(db, "SELECT MasterID FROM ContactGroup WHERE GroupID=?");
    std::set<qint64> seen;
    for (qint64 current = group; current > 0 && seen.insert(current).second;) {
        if (current == ancestor)
            return true;
        parentOf.reset();
        parentOf.bind(1, static_cast<int64_t>(current));
        if (parentOf.step() != SQLITE_ROW)
            return false;
        current = parentOf.int64(0);
    }
    return false;
}

ReparentResult SetGroupParent(qint64 group, qint64 parent, sqlite3* db) {
    SqlTransaction tx(db);
    if (!tx.active())
        return ReparentResult::Failed;
    // Checked inside the transaction, so nobody changes the tree in between.
    if (IsGroupWithin(parent, group, db))
        return ReparentResult::WouldCycle;
    SqlStatement update(db, "Update ContactGroup Set MasterID=? Where GroupID=?");
    update.bind(1, static_cast<int64_t>(parent)).bind(2, static_cast<int64_t>(group));
    if (!update.ok() || update.exec() != SQLITE_OK || tx.commit() != SQLITE_OK)
        return ReparentResult::Failed;
    return ReparentResult::Done;
}
