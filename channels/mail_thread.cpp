#include "channels/mail_thread.h"

#include "core/database.h"
#include "core/log.h"

void RunMailToSmsLoop(WorkerControl& control, sqlite3* db) {
    (void)db;
    WaitForStopRequest(control);
}

void EmailThreadProc(WorkerControl& control, const MailWorkerSetup& setup) {
    LogWrite(g_logRun, "INFO,mail thread started");
    RunWorkerFrame(control, setup.startDelayMs, [&] {
        sqlite3* db = OpenConnection(setup.databasePath);
        RunMailToSmsLoop(control, db);
        CloseConnection(db);
    });
    LogWrite(g_logRun, "INFO,mail thread ended");
}
