#pragma once
// What the end-to-end runs on an X server share: a program folder with a
// stored account, the loopback service as its endpoint and the automatic
// backup question off, started as an X client in Chinese; and the rows of
// its database read back.
#include "tests/support/loopback_service.h"
#include "tests/support/program_run.h"
#include "tests/support/xvfb_server.h"

#include <QString>
#include <QStringList>

#include <string>

// Stores the account `serial` (password "pw") in a new database, runs
// `seedSql` on it, points the program at `service` and at the display of
// `x`. Fails the running test when the database cannot be made.
void PrepareScreenRun(ProgramRun& run, const XvfbServer& x, const LoopbackMessagingService& service,
                      const std::string& serial, const std::string& seedSql = {});
// The same with the service's endpoint given as a URL (a service in a
// process of its own).
void PrepareScreenRun(ProgramRun& run, const XvfbServer& x, const std::string& endpoint, const std::string& serial,
                      const std::string& seedSql = {});

// Opens the entry at `position` (1: "联系人") of the main window's File menu,
// trying again until a window titled `window` maps; false when it never does.
bool OpenFromFileMenu(const XvfbServer& x, int position, const QString& window);
// The same for the menu `menu` places right of File (4: "短信").
bool OpenFromMenu(const XvfbServer& x, int menu, int position, const QString& window);

// Runs `sql` on the run's database beside the running program's own
// connection (WAL); false when it fails.
bool DatabaseExec(const ProgramRun& run, const char* sql);

// The rows of `sql` on the run's database, "a|b;" per row (NULL as "").
QString DatabaseRows(const ProgramRun& run, const char* sql);

// Answers the message boxes of a run with Enter, one at a time: a box is a
// visible window that was not there when the answerer was made (found by
// class, since a box may have no title) and has not been answered yet.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const XvfbServer& x);
    // Waits up to 5 s for the next box and presses Enter on it; false when none came.
    bool AnswerNext();

private:
    QStringList VisibleWindows() const;
    const XvfbServer& m_x;
    QStringList m_before;
    QStringList m_answered;
};
