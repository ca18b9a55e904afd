#include "channels/mail_thread.h"

#include "automation/worker_loop.h"

void EmailThreadProc(WorkerControl& control) { RunUntilStopped(control, "mail"); }
