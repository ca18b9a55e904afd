#pragma once
// The main window's commands "数据库备份" and "数据库恢复": the file
// question, the work on a worker thread while the window stays responsive,
// and the message for the user. The caller checks the rights (and, before a
// restore, shows its warning) itself.
#include <functional>

class QWidget;

// Asks for a target (proposing today's "yyyy-MM-dd_csqx.bak"), copies the
// database there and shows 354 or 355.
void BackupDatabase(QWidget* owner);

// Asks for a backup file and puts it in place of the database. `stopWorkers`
// joins every thread of the caller that uses the database; it runs only once
// the file was accepted. True after 360: the database is closed and the
// caller must end the program (exit code 0).
bool RestoreDatabase(QWidget* owner, std::function<void()> stopWorkers);
