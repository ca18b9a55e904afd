#pragma once
// The window reminders of tasks: which are due in a given minute.
#include <QString>

#include <vector>

class QDateTime;

// One pending window reminder of a task occurrence.
struct TASK_TIP {
    QString fullTime;   // the occurrence, "%Y-%m-%d %H:%M"
    QString preMinutes; // minutes before it that the reminder is due
    int taskID = 0;
};

// Reloads the reminders of the coming task occurrences. Tasks come in a
// later version: the list is left empty.
void LoadTaskTips(std::vector<TASK_TIP>& tips);

// The ids, joined by ",", of every reminder whose occurrence less its lead
// minutes falls in the minute of `now`; empty when none is due. A reminder
// whose time cannot be read is never due.
QString DueTaskTipIds(const std::vector<TASK_TIP>& tips, const QDateTime& now);
