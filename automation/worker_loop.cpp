#include "automation/worker_loop.h"

#include "core/log.h"

#include <string>

void RunUntilStopped(WorkerControl& control, const char* name) {
    LogWrite(g_logRun, std::string("INFO,") + name + " thread started");
    control.stop.wait(kWorkerStartDelayMs);
    WaitForStopRequest(control);
    // A cleared event lets the owner start the worker again.
    control.stop.reset();
    LogWrite(g_logRun, std::string("INFO,") + name + " thread ended");
}
