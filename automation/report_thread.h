#pragma once
// The worker that follows the status reports of sent messages: it polls the
// service for delivery reports and writes each one's status into the
// `sendNums` row of its number and reference.
#include "platform/worker_event.h"

#include <QString>
#include <sqlite3.h>

#include <vector>

struct RECV_REPORT; // service/web_service_client.h

// The statement each report is written with.
inline constexpr char kStatusReportUpdate[] =
    "update sendNums set status = ? where numOrMailAddr = ? and rrid = ?";

// What the report worker needs, copied before it starts: it holds nothing of
// the window's. The waits are settable so tests need not wait minutes.
struct ReportWorkerSetup {
    QString databasePath; // the worker opens its own connection to it
    QString serial;       // the account the client is built for
    QString password;
    int startDelayMs = kWorkerStartDelayMs; // before the loop starts
    int loopDelayMs = 1000;                 // at the start of the loop
    int shortWaitMs = 2000;                 // after a poll that was not -1
    int longWaitMs = 120000;                // after a poll that was -1, and at first
};

// The report worker's body: logs its start, waits its start delay, runs
// ProcessStatusReports until `control` asks it to stop, clears the stop
// event and logs its end. Every wait ends at once on a stop request.
// `control` must outlive the call.
void ReportThreadProc(WorkerControl& control, const ReportWorkerSetup& setup);

// The report loop, with its own connection and client: wait (long at first
// and after a poll that was -1, short otherwise), poll, write the poll's
// reports. The stop is checked before each poll and between the writes.
void ProcessStatusReports(WorkerControl& control, const ReportWorkerSetup& setup);

// Writes one poll's reports in one transaction through kStatusReportUpdate,
// each status to the row of its (number, reference) only. A report without
// a reference changes nothing (it would match every row of that number that
// never got one) and is logged. A failed update is logged and the rest go
// on. With `control`, a stop request between two writes ends the writing:
// what was written is committed, the rest stays in `reports`.
// Written reports are removed from `reports`; false when the transaction
// could not be begun or committed (then nothing was written and `reports`
// is left whole for another try).
bool WriteStatusReports(sqlite3* db, std::vector<RECV_REPORT>& reports,
                        const WorkerControl* control = nullptr);
