#include "contacts/group_edit.h"

#include "core/log.h"
#include "core/sql.h"

#include <algorithm>
#include <set>
#include <string>

namespace {

constexpr int kCaptionAncestors = 5;

void Descend(SqlStatement& children, qint64 group, std::set<qint64>& seen, std::vector<qint64>& out) {
    children.reset();
    children.bind(1, static_cast<int64_t>(group));
    std::vector<qint64> direct;
    while (children.step() == SQLITE_ROW) {
        const qint64 child = children.int64(0);
        // A group met twice closes a cycle (or repeats an id): walk it once.
        if (child > 0 && seen.insert(child).second)
            direct.push_back(child);
    }
    for (qint64 child : direct) {
        Descend(children, child, seen, out);
        out.push_back(child);
    }
}

} // namespace

qint64 AddGroup(const QString& name, qint64 parent, sqlite3* db) {
    SqlTransaction tx(db);
    qint64 id = 0;
    if (tx.active() && (id = AllocateId(db, "ContactGroup", "GroupID")) > 0) {
        SqlStatement insert(db, "INSERT INTO ContactGroup VALUES(?,?,?)");
        insert.bind(1, static_cast<int64_t>(id)).bind(2, name).bind(3, static_cast<int64_t>(parent));
        if (insert.ok() && insert.exec() == SQLITE_OK && tx.commit() == SQLITE_OK)
            return id;
    }
    LogWrite(g_logRun, "更新组时出错了");
    return 0;
}

std::vector<qint64> GroupDescendants(qint64 group, sqlite3* db) {
    std::vector<qint64> out;
    SqlStatement children(db, "SELECT GroupID FROM ContactGroup WHERE MasterID=? ORDER BY rowid");
    if (!children.ok())
        return out;
    std::set<qint64> seen{group};
    Descend(children, group, seen, out);
    return out;
}

bool DeleteGroupTree(qint64 group, sqlite3* db) {
    SqlTransaction tx(db);
    if (!tx.active()) {
        LogWrite(g_logRun, "删除组时删除分组出错了");
        return false;
    }
    // Read inside the transaction, so a group added meanwhile under this one
    // goes too and leaves no contacts behind that no node shows.
    std::string ids;
    for (qint64 child : GroupDescendants(group, db))
        ids += std::to_string(child) + ",";
    ids += std::to_string(group);
    const std::string groups = "DELETE  FROM ContactGroup WHERE GroupID IN(" + ids + ")";
    if (ExecSql(nullptr, db, groups) != SQLITE_OK) {
        LogWrite(g_logRun, "删除组时删除分组出错了");
        return false;
    }
    const std::string contacts = "DELETE  FROM ContactList WHERE GroupID IN(" + ids + ")";
    if (ExecSql(nullptr, db, contacts) != SQLITE_OK) {
        LogWrite(g_logRun, "删除组时删除联系人出错了");
        return false;
    }
    if (tx.commit() != SQLITE_OK) {
        LogWrite(g_logRun, "删除组时删除分组出错了");
        return false;
    }
    return true;
}

bool RenameGroup(qint64 group, const QString& name, sqlite3* db) {
    SqlTransaction tx(db);
    if (tx.active()) {
        SqlStatement update(db, "UPDATE ContactGroup SET GroupName=? WHERE GroupID=?");
        update.bind(1, name).bind(2, static_cast<int64_t>(group));
        if (update.ok() && update.exec() == SQLITE_OK && tx.commit() == SQLITE_OK)
            return true;
    }
    LogWrite(g_logRun, "更新组时出错了");
    return false;
}

QString GroupCaption(const QStringList& path) {
    const qsizetype keep = std::min<qsizetype>(path.size(), kCaptionAncestors + 1);
    return path.mid(path.size() - keep).join(QStringLiteral("->"));
}
