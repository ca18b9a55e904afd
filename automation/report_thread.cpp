#include "automation/report_thread.h"

#include "automation/worker_loop.h"

void ReportThreadProc(WorkerControl& control) { RunUntilStopped(control, "report"); }
