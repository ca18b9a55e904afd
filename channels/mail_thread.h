#pragma once
// The worker that turns received e-mail into SMS.
#include "platform/worker_event.h"

// The mail worker's body: logs its start, waits 5 s (less when stopped),
// runs until `control` asks it to stop, clears the stop event and logs its
// end. The mail-to-SMS loop comes in a later version; until then the worker
// only waits. `control` must outlive the call.
void EmailThreadProc(WorkerControl& control);
