#pragma once
// The holiday greetings of table holidaySMS: loading one kind, checking what
// the user types into a month or day cell, saving and deleting a row, and the
// holiday-reminder settings of the account's settings file.
#include <QString>

#include <cstdint>
#include <vector>

struct sqlite3;

// Kinds of holiday (the `type` column).
inline constexpr int kHolidayGregorian = 0;
inline constexpr int kHolidayLunar = 1;
inline constexpr int kHolidayCustom = 2;

// One stored greeting.
struct HolidayRow {
    QString month;
    QString day;
    QString name;
    QString content;
    int64_t recID = 0; // 0: not stored yet
};

// The greetings of one kind, ordered by month and day. False (and the line
// "加载假日列表出错了" in the run log) when the query failed.
bool LoadHolidays(sqlite3* db, int type, std::vector<HolidayRow>& rows);

// What is wrong with a month or day typed into a row.
enum class HolidayCellError {
    None,
    Empty,     // "所编辑内容不能为空"
    Month,     // not a month 1-12
    Day,       // not a day 1-31
    NoSuchDay, // the month has no such day ("02-30", "04-31")
};

// Checks `month` and `day` of a row of kind `type` (either may be empty while
// the row is being filled). Only digits are taken. Gregorian and custom
// holidays fall on real dates, so the day must exist in the month, 29
// February included (leap years have it); lunar days are only kept to 1-31.
// `editedMonth` says which of the two was just typed: an empty edit is
// refused, the other cell may still be empty.
HolidayCellError CheckHolidayDate(const QString& month, const QString& day, int type, bool editedMonth);

// Saves a complete row of kind `type` in one transaction: the old record (when
// the row has one) is deleted and the row inserted under a new recID, so an
// edited row never keeps its id. On success `row.recID` is the new id; on a
// failure nothing changed (the old record stays) and the line
// "新增假日祝福语出错了" is logged.
bool SaveHoliday(sqlite3* db, int type, HolidayRow& row);

// Deletes one stored greeting; "删除假日祝福语出错了" is logged on a failure.
bool DeleteHoliday(sqlite3* db, int64_t recID);

// The advance-day choices of the reminder, in their order.
const std::vector<int>& HolidayPreDayChoices();

// [HolidayTip] of the account's settings file: reminders on when AutoTip is
// exactly "1"; preDays read as whole days.
struct HolidayTipSettings {
    bool autoTip = false;
    QString preDays;
};
HolidayTipSettings ReadHolidayTipSettings(const QString& iniPath);
// Writes AutoTip ("1" or "0") and, when `preDays` >= 0, preDays with it, in
// one write of the file. False when the file could not be written (logged).
bool WriteHolidayTipSettings(const QString& iniPath, bool autoTip, int preDays);
