#include "automation/report_thread.h"

#include "core/log.h"

void ReportThreadProc(WorkerControl& control) {
    LogWrite(g_logRun, "INFO,report thread started");
    control.stop.wait(kWorkerStartDelayMs);
    WaitForStopRequest(control);
    // A cleared event lets the owner start the worker again.
    control.stop.reset();
    LogWrite(g_logRun, "INFO,report thread ended");
}
