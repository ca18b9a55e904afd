#pragma once
// The send times of one contact's greetings for the coming years: one per
// year on the date's month and day, a number of days before it, at a time
// of day. Dates are worked out as calendar days, never as seconds, so a
// daylight-saving change cannot shift a time.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>

struct ContactGreetingTimes {
    QStringList times;    // "%Y-%m-%d %H:%M:00", year by year
    bool nearNow = false; // some time is at most 5 minutes after now
};

// `date` ends in "MM-DD" (a leading "-" of those five characters reads as
// "0"); years from now's year on, `years` of them. A year without that day
// (29 February in a common year) is skipped, and so is a time before the
// current minute.
ContactGreetingTimes GreetingTimes(const QString& date, int daysBefore, const QTime& time, int years,
                                   const QDateTime& now);
