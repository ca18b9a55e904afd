#pragma once
// Who is due for a date message or a reminder on a given day. Pure rules over
// the contacts and the holidays: "today" is handed in, dates are "YYYY-MM-DD"
// texts, days are calendar days, and 29 February falls on 28 February in a
// common year (matching "MM-DD" exactly skipped those contacts three years in
// four).
#include "automation/date_messages.h"

#include <QDate>
#include <QString>
#include <sqlite3.h>

#include <vector>

// Days in advance read as whole days: the leading number, below 0 is 0.
int LeadDays(const QString& text);

// Month and day in `year`; 02-29 is 02-28 in a common year. Invalid (null)
// for a month or day that no year has.
QDate DateInYear(int year, int month, int day);

// The first occurrence of month-day on or after `today` (next year when it
// has passed this year). Invalid for an impossible month or day.
QDate NextOccurrence(int month, int day, const QDate& today);

// One contact due on a date field: the number and the event date.
struct DateMatch {
    QString number;
    QString date; // "YYYY-MM-DD"
};

// True when `field` may name a date field: a ContactList column, or the id
// of a user field (one or two digits) whose dates live in autoFieldInfo.
bool IsDateField(sqlite3* db, const QString& field);

// The contacts (not deleted, with a number) whose `field` date falls
// `leadDays` calendar days after `today`, one row per number and date
// however many groups hold the contact. False (logged, `out` empty) when the
// field is no date field or the query fails.
bool MatchDateField(sqlite3* db, const QString& field, int leadDays, const QDate& today,
                    std::vector<DateMatch>& out);

// The numbers whose birthday reminder is due today: birthdays `leadDays`
// days ahead (the event date d with d - leadDays <= today <= d).
std::vector<QString> BirthdayReminderNumbers(sqlite3* db, int leadDays, const QDate& today);

// [HolidayTip]: reminders on exactly when AutoTip is "1"; preDays as given.
struct HolidayTipSettings {
    bool on = false;
    QString preDays;
    static HolidayTipSettings Read(const QString& accountIni);
};

// The holidays (types 0 and 2; lunar dates of type 1 are never listed) whose
// reminder runs today: from `leadDays` days before the holiday up to its day.
// A row with an impossible month or day is skipped and logged with its recID.
std::vector<HOLIDAYCONTENT> DueHolidays(sqlite3* db, int leadDays, const QDate& today);
