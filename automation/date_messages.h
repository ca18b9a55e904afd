#pragma once
// The date messages (greetings sent on the contacts' dates) and the holiday
// reminders that the main window keeps.
#include <QString>

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
};

// One holiday due for a reminder.
struct HOLIDAYCONTENT {
    QString date; // the coming occurrence, "YYYY-MM-DD"
    QString name;
};

// Refills `settings` with the date messages. Date messages come in a later
// version: the list stays without any message that sends by itself, and the
// result (true when some message sends by itself) is false.
bool LoadDateMsgSettings(std::vector<DATEMSGVALUE>& settings);
