#include "contacts/group_tree.h"

#include "core/sql.h"

#include <unordered_map>

std::vector<TREE_GROUP> ReadContactGroups(sqlite3* db) {
    std::vector<TREE_GROUP> groups;
    SqlStatement st(db, "SELECT * FROM ContactGroup WHERE GroupID > 0 ORDER BY MasterID");
    if (!st.ok())
        return groups;
    // SELECT * keeps the statement as it always was; the columns are found by
    // name so a column appended later cannot shift them.
    int idColumn = -1, nameColumn = -1, masterColumn = -1;
    for (int i = 0; i < st.columnCount(); ++i) {
        const QString column = QString::fromUtf8(sqlite3_column_name(st.handle(), i));
        if (column.compare(QLatin1String("GroupID"), Qt::CaseInsensitive) == 0)
            idColumn = i;
        else if (column.compare(QLatin1String("GroupName"), Qt::CaseInsensitive) == 0)
            nameColumn = i;
        else if (column.compare(QLatin1String("MasterID"), Qt::CaseInsensitive) == 0)
            masterColumn = i;
    }
    if (idColumn < 0 || nameColumn < 0 || masterColumn < 0)
        return groups;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        TREE_GROUP group;
        group.GroupID = static_cast<int>(st.int64(idColumn));
        group.MasterID = static_cast<int>(st.int64(masterColumn));
        group.name = st.qtext(nameColumn);
        groups.push_back(std::move(group));
    }
    if (rc != SQLITE_DONE)
        groups.clear();
    return groups;
}

std::vector<GroupPlacement> PlaceGroups(std::vector<TREE_GROUP>& groups) {
    std::vector<GroupPlacement> placements;
    std::unordered_map<int, int> placedById; // GroupID -> entry whose item children go under
    bool placedAny = true;
    while (placedAny) {
        placedAny = false;
        for (int i = 0; i < static_cast<int>(groups.size()); ++i) {
            TREE_GROUP& group = groups[static_cast<size_t>(i)];
            if (group.placed || group.GroupID <= 0)
                continue;
            int parent = -1;
            if (group.MasterID != 0) {
                const auto found = placedById.find(group.MasterID);
                if (found == placedById.end())
                    continue;
                parent = found->second;
            }
            group.placed = true;
            placedAny = true;
            placements.push_back({i, parent});
            placedById.emplace(group.GroupID, i);
        }
    }
    return placements;
}
