#pragma once
// The contact groups as a tree: read from ContactGroup and placed under their
// parents, so every group picker and the main window's tree show the same
// hierarchy. The placement is kept apart from the widgets so it can be
// checked without a window.
#include "core/database.h"

#include <QString>

#include <vector>

// One contact group while a tree is built.
struct TREE_GROUP {
    int GroupID = 0;
    int MasterID = 0; // parent group, 0 = top level
    QString name;
    bool placed = false;
};

// One group put into the tree: `group` indexes the array given to
// PlaceGroups, `parent` the entry it goes under (-1 = the top, meaning the
// caller's root item or, without one, the tree's top level).
struct GroupPlacement {
    int group = 0;
    int parent = -1;
};

// "SELECT * FROM ContactGroup WHERE GroupID > 0 ORDER BY MasterID": the
// groups that may be shown, in that order. Empty on a failure (logged).
std::vector<TREE_GROUP> ReadContactGroups(sqlite3* db = g_pDB);

// Places the groups in passes over `groups` in their order: a group whose
// MasterID is 0 goes to the top, a group whose parent is already placed goes
// under the parent (the first group placed with that GroupID), appended as
// its last child; the rest wait for the next pass. A GroupID of 0 or less is
// never placed. The passes end when one
// places nothing, so a group whose parent never gets placed (missing, or
// part of a cycle) stays out. Marks the placed entries and returns the
// placements in the order the items are to be made.
std::vector<GroupPlacement> PlaceGroups(std::vector<TREE_GROUP>& groups);
