#pragma once
// The loop of a worker whose work comes with a later subsystem: it starts,
// waits out its start delay (cut short by a stop), then waits for its stop
// request and ends.
#include "platform/worker_event.h"

// `name` appears in the run log's "INFO,<name> thread started/ended" lines.
void RunUntilStopped(WorkerControl& control, const char* name);
