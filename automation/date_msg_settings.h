#pragma once
// The four date messages as the settings dialog edits them: the check made
// before anything is saved, the save of every [DateMSG] key in one
// replacement of the per-account settings file, and the display names of the
// two user date fields. Plain functions, so the rules are tested without a
// window.
#include "core/database.h"

#include <QString>

#include <array>

inline constexpr int kDateMsgCount = 4;
// What the loader reads back of a message's content.
inline constexpr int kMaxDateMsgContent = 300;
// The user date fields behind messages 3 and 4 (dateDef1, dateDef2).
inline constexpr int kDateMsgUserFields[] = {33, 34};

// The contact column of message `index` (0-3), written as "Name%d".
QString DateMsgField(int index);

struct DateMsgGroupValues {
    bool autoSend = false;
    QString preDays;  // the days box's text
    QString sendTime; // "%H:%M:00"
    QString content;  // saved trimmed
};
using DateMsgValues = std::array<DateMsgGroupValues, kDateMsgCount>;

// SaveDateMsgSettings' answer when the settings file could not be written.
inline constexpr int kDateMsgWriteFailed = -1;

// Checks every message first: the first one that is on with an empty
// (trimmed) content gives its number (1-4) and nothing is written. Otherwise
// Name, AutoSend, PreDays, SendTime and Content of all four go into section
// DateMSG in one replacement of the file, so a failure leaves it as it was
// (kDateMsgWriteFailed). 0 when everything was written.
int SaveDateMsgSettings(const QString& iniPath, const DateMsgValues& values);

// A user field's display name and whether it is in use. False when the
// query failed (logged "日期短信查询字段时出错了"); a field without a row is
// not in use.
struct DateFieldState {
    QString name;
    bool inUse = false;
};
bool ReadDateFieldState(int fieldID, DateFieldState& state, sqlite3* db = g_pDB);
