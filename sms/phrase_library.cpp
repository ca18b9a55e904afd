#include "sms/phrase_library.h"

#include "contacts/group_tree.h"
#include "core/sql.h"

#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace {

bool IsRoot(int64_t id) {
    return id == kPhraseRootCommon || id == kPhraseRootCustom;
}

bool FitsInt(int64_t id) {
    return id >= std::numeric_limits<int>::min() && id <= std::numeric_limits<int>::max();
}

void LogFailure(sqlite3* db, int code, const char* text) {
    LogSqlError(SqlErrorText(db), code ? code : SQLITE_ERROR, text);
}

} // namespace

std::vector<PhraseGroup> LoadPhraseGroups(sqlite3* db) {
    // The roots come first, so the passes put their groups under them; a row
    // that claims a root's id, or has no parent at all, would otherwise land
    // beside the roots or be taken for one.
    std::vector<TREE_GROUP> groups(2);
    groups[0].GroupID = kPhraseRootCommon;
    groups[1].GroupID = kPhraseRootCustom;
    SqlStatement st(db, "SELECT recID,content ,parentID FROM smsSourceGroup  ORDER BY parentID,recID,rowid");
    if (!st.ok())
        return {};
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const int64_t id = st.int64(0);
        const int64_t parent = st.int64(2);
        if (IsRoot(id) || parent == 0 || !FitsInt(id) || !FitsInt(parent))
            continue;
        TREE_GROUP group;
        group.GroupID = static_cast<int>(id);
        group.MasterID = static_cast<int>(parent);
        group.name = st.qtext(1);
        groups.push_back(std::move(group));
    }
    if (rc != SQLITE_DONE)
        return {};

    std::vector<PhraseGroup> placed;
    std::unordered_map<int, int> indexOf; // entry in `groups` -> entry in `placed`
    for (const GroupPlacement& p : PlaceGroups(groups)) {
        if (p.group < 2)
            continue;
        const TREE_GROUP& g = groups[static_cast<size_t>(p.group)];
        PhraseGroup out;
        out.recID = g.GroupID;
        out.parentID = g.MasterID;
        out.name = g.name;
        out.parent = p.parent >= 2 ? indexOf.at(p.parent) : -1;
        indexOf.emplace(p.group, static_cast<int>(placed.size()));
        placed.push_back(std::move(out));
    }
    return placed;
}

std::vector<Phrase> LoadPhrases(int groupId, sqlite3* db) {
    std::vector<Phrase> phrases;
    SqlStatement st(
        db, "SELECT content,creatTime,recID,rowid FROM smsSourceContent WHERE parentID=? ORDER BY rowid");
    if (!st.ok())
        return phrases;
    st.bind(1, groupId);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        phrases.push_back({st.int64(3), st.int64(2), st.qtext(0), st.qtext(1)});
    if (rc != SQLITE_DONE)
        phrases.clear();
    return phrases;
}

int PhraseSaveRefusal(int groupId, const QString& text) {
    if (groupId == -1)
        return 224;
    if (IsRoot(groupId))
        return 225;
    if (text.isEmpty())
        return 151;
    return 0;
}

int64_t SavePhrase(int groupId, int64_t rowId, const QString& text, const QString& time, sqlite3* db) {
    constexpr const char* kFailure = "更新短语库出错了";
    if (rowId == 0) {
        const int64_t recId = AllocateId(db, "smsSourceContent", "recID");
        if (recId <= 0) {
            LogFailure(db, SQLITE_ERROR, kFailure);
            return 0;
        }
        SqlStatement st(db,
                        "INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES (?,?,?,?)");
        st.bind(1, recId).bind(2, groupId).bind(3, text).bind(4, time);
        const int rc = st.ok() ? st.exec() : st.prepareResult();
        if (rc != SQLITE_OK) {
            LogFailure(db, rc, kFailure);
            return 0;
        }
        return sqlite3_last_insert_rowid(db);
    }
    SqlStatement st(db, "UPDATE smsSourceContent SET content=?,creatTime=? WHERE rowid=?");
    st.bind(1, text).bind(2, time).bind(3, rowId);
    const int rc = st.ok() ? st.exec() : st.prepareResult();
    // A phrase that is gone is no save either.
    if (rc != SQLITE_OK || sqlite3_changes(db) != 1) {
        LogFailure(db, rc, kFailure);
        return 0;
    }
    return rowId;
}

bool DeletePhrase(int64_t rowId, sqlite3* db) {
    SqlStatement st(db, "DELETE FROM smsSourceContent  WHERE rowid=?");
    st.bind(1, rowId);
    const int rc = st.ok() ? st.exec() : st.prepareResult();
    if (rc != SQLITE_OK) {
        LogFailure(db, rc, "删除记录出错了");
        return false;
    }
    return true;
}

QString PhraseGroupName(const QString& typed) {
    return typed.trimmed().left(kPhraseGroupNameMax);
}

int64_t AddPhraseGroup(const QString& name, sqlite3* db) {
    constexpr const char* kFailure = "插入自定义分组出错了";
    // "Largest plus one" starts at 1 in an empty table; the ids of the roots
    // are skipped, or a group would be taken for a root.
    int64_t id = AllocateId(db, "smsSourceGroup", "recID");
    while (id > 0 && id <= kPhraseRootCustom)
        id = AllocateId(db, "smsSourceGroup", "recID");
    if (id <= 0) {
        LogFailure(db, SQLITE_ERROR, kFailure);
        return 0;
    }
    SqlStatement st(db, "INSERT INTO smsSourceGroup (recID,parentID,content) VALUES (?,?,?)");
    st.bind(1, id).bind(2, kPhraseRootCustom).bind(3, PhraseGroupName(name));
    const int rc = st.ok() ? st.exec() : st.prepareResult();
    if (rc != SQLITE_OK) {
        LogFailure(db, rc, kFailure);
        return 0;
    }
    return id;
}

bool DeletePhraseGroup(int groupId, sqlite3* db) {
    constexpr const char* kFailure = "删除短语分组出错了";
    if (IsRoot(groupId))
        return false;

    SqlTransaction transaction(db);
    if (!transaction.active()) {
        LogFailure(db, transaction.beginResult(), kFailure);
        return false;
    }
    // The subtree from the table itself, so groups the tree could not show
    // go with their parent too; a cycle below the group ends the walk.
    std::unordered_map<int64_t, std::vector<int64_t>> children;
    {
        SqlStatement st(db, "SELECT recID,parentID FROM smsSourceGroup");
        if (!st.ok()) {
            LogFailure(db, st.prepareResult(), kFailure);
            return false;
        }
        int rc;
        while ((rc = st.step()) == SQLITE_ROW)
            children[st.int64(1)].push_back(st.int64(0));
        if (rc != SQLITE_DONE) {
            LogFailure(db, rc, kFailure);
            return false;
        }
    }
    std::vector<int64_t> subtree{groupId};
    std::unordered_set<int64_t> seen{groupId};
    for (size_t i = 0; i < subtree.size(); ++i) {
        const auto found = children.find(subtree[i]);
        if (found == children.end())
            continue;
        for (const int64_t child : found->second)
            if (!IsRoot(child) && seen.insert(child).second)
                subtree.push_back(child);
    }

    SqlStatement phrases(db, "DELETE FROM smsSourceContent  WHERE parentID=?");
    SqlStatement groups(db, "DELETE FROM smsSourceGroup  WHERE recID=?");
    if (!phrases.ok() || !groups.ok()) {
        LogFailure(db, phrases.ok() ? groups.prepareResult() : phrases.prepareResult(), kFailure);
        return false;
    }
    for (const int64_t id : subtree) {
        phrases.reset();
        groups.reset();
        int rc = phrases.bind(1, id).exec();
        if (rc == SQLITE_OK)
            rc = groups.bind(1, id).exec();
        if (rc != SQLITE_OK) {
            LogFailure(db, rc, kFailure);
            return false; // rolled back by the guard
        }
    }
    const int rc = transaction.commit();
    if (rc != SQLITE_OK) {
        LogFailure(db, rc, kFailure);
        return false;
    }
    return true;
}
