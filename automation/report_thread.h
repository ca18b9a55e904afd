#pragma once
// The worker that follows the status reports of sent messages.
#include "platform/worker_event.h"

// The report worker's body: logs its start, waits 5 s (less when stopped),
// runs until `control` asks it to stop, clears the stop event and logs its
// end. The status-report loop comes in a later version; until then the
// worker only waits. `control` must outlive the call.
void ReportThreadProc(WorkerControl& control);
