#pragma once
// The worker that turns received e-mail into SMS.
#include "platform/worker_event.h"

#include <QString>
#include <sqlite3.h>

// What the mail worker needs, copied before it starts.
struct MailWorkerSetup {
    QString databasePath;                   // the worker opens its own connection to it
    int startDelayMs = kWorkerStartDelayMs; // before the loop starts
};

// The mail worker's body: logs its start, waits its start delay (cut short
// by a stop request), opens its own connection, runs RunMailToSmsLoop on it,
// closes it, waits for its stop request, clears the stop event and logs its
// end. `control` must outlive the call.
void EmailThreadProc(WorkerControl& control, const MailWorkerSetup& setup);

// The mail-to-SMS loop, on the mail worker with the worker's connection (null
// when the database could not be opened). It returns once StopRequested;
// every wait in it ends at once on a stop request (WaitUnlessStopped).
// The loop itself comes in a later version: until then it only waits.
void RunMailToSmsLoop(WorkerControl& control, sqlite3* db);
