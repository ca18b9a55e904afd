#include "channels/mail_thread.h"

#include "core/log.h"

void EmailThreadProc(WorkerControl& control) {
    LogWrite(g_logRun, "INFO,mail thread started");
    control.stop.wait(kWorkerStartDelayMs);
    WaitForStopRequest(control);
    // A cleared event lets the owner start the worker again.
    control.stop.reset();
    LogWrite(g_logRun, "INFO,mail thread ended");
}
