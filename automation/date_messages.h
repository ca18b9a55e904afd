#pragma once
// The date messages (greetings sent on the contacts' dates) and the holiday
// reminders that the main window keeps.
#include <QDate>
#include <QString>
#include <sqlite3.h>

#include <vector>

// One date message.
struct DATEMSGVALUE {
    QString name;      // the date field: a ContactList column, or a user field's id
    int autoSend = 0;  // 0 = off
    QString preDays;   // days in advance
    QString sendTime;  // hours and minutes followed by ":00"
    QString content;   // may hold "<%" field "%>" markers
    QString sendTimes; // "%Y-%m-%d %H:%M:%S" per recipient, joined by ","
    QString numbers;   // the recipients' mobile numbers, joined by ",", in sendTimes' order
    // The same recipients item by item; the minute step compares these, so
    // a number or stamp can never shift its neighbours. An empty stamp (an
    // unreadable send time) never matches.
    std::vector<QString> numberItems;
    std::vector<QString> sendTimeItems;
};

// One holiday due for a reminder.
struct HOLIDAYCONTENT {
    QString date; // the coming occurrence, "YYYY-MM-DD"
    QString name;
};

// Refills `settings` with the four date messages of [DateMSG] in
// `accountIni` (appended also when off) and, for each one on, the contacts
// due `PreDays` days after `today` with their send stamps. True when some
// message is on and names a date field of the contacts.
bool LoadDateMsgSettings(sqlite3* db, const QString& accountIni, const QDate& today,
                         std::vector<DATEMSGVALUE>& settings);

// One date message's recipients due in one minute.
struct DateSend {
    int message = 0; // index into the date messages
    QString minute;  // the handled minute, "yyyy-MM-dd HH:mm"
    QString content;
    std::vector<QString> numbers;
};

// The sends due in `minute` ("yyyy-MM-dd HH:mm", local), in message order:
// recipients whose stamp is that minute plus the message's days in advance.
std::vector<DateSend> DueDateSends(const std::vector<DATEMSGVALUE>& settings, const QString& minute);
