#pragma once
// The phrase library: reusable SMS texts (smsSourceContent) kept in groups
// (smsSourceGroup) under two fixed roots. What the library window does to
// the tables lives here, so it can be checked without a window.
#include "core/database.h"

#include <QString>

#include <cstdint>
#include <vector>

// The fixed roots of the group tree, by the parentID their groups carry.
constexpr int kPhraseRootCommon = 2; // "常用短语"
constexpr int kPhraseRootCustom = 3; // "自定义分组"
// A group name is at most this many characters.
constexpr int kPhraseGroupNameMax = 10;

// One group placed in the tree.
struct PhraseGroup {
    int recID = 0;
    int parentID = 0;
    QString name;
    // Index (in the returned list) of the group it goes under; -1 when it
    // goes under the root that parentID names.
    int parent = -1;
};

// The groups that can be shown, in the order their items are made (a parent
// always before its children). Placed in passes, so a child listed before
// its parent still finds it; a group whose parent never gets placed (missing,
// or part of a cycle) stays out, and so does a group whose id is a root's.
std::vector<PhraseGroup> LoadPhraseGroups(sqlite3* db = g_pDB);

// One phrase of a group.
struct Phrase {
    int64_t rowId = 0; // the row the window edits and deletes
    int64_t recID = 0;
    QString content;
    QString creatTime;
};

// The phrases of group `groupId` in the order they were stored (rowid).
std::vector<Phrase> LoadPhrases(int groupId, sqlite3* db = g_pDB);

// 0 when `text` may be saved into group `groupId` (-1: none chosen), else the
// number of the string that says why not: 224 no group, 225 a root, 151 an
// empty text.
int PhraseSaveRefusal(int groupId, const QString& text);

// Saves `text` with the time `time` ("yyyy-MM-dd hh:mm"): a new phrase of
// group `groupId` (its recID from AllocateId) when `rowId` is 0, else over the
// phrase stored in that row. The row saved, or 0 when nothing was saved
// ("更新短语库出错了" in the run log).
int64_t SavePhrase(int groupId, int64_t rowId, const QString& text, const QString& time, sqlite3* db = g_pDB);

// Deletes the phrase stored in row `rowId`; false on a failure (logged
// "删除记录出错了").
bool DeletePhrase(int64_t rowId, sqlite3* db = g_pDB);

// A typed group name as it is stored: trimmed, at most kPhraseGroupNameMax
// characters.
QString PhraseGroupName(const QString& typed);

// A new group named `name` (already checked not to be empty) under
// "自定义分组". Its id, never one of the roots' ids, or 0 on a failure
// (logged "插入自定义分组出错了").
int64_t AddPhraseGroup(const QString& name, sqlite3* db = g_pDB);

// Deletes group `groupId`, every group below it and all their phrases in one
// transaction. False, with nothing deleted, when a statement or the commit
// fails. The roots cannot be deleted.
bool DeletePhraseGroup(int groupId, sqlite3* db = g_pDB);
