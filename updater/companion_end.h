#pragma once
// Ending the running main program before its files change (the updater) or
// after its database changed (the converter).
#include <QString>

// Asks the running main program to quit through its inbox and waits at most
// `graceMs` for it to end; logs "强制结束进程。类名：CSQXWND_QEL" in the day
// log; then force-ends what still runs of <programFolder>/Corvelane (this
// user's processes only). True when no main program of that folder is left.
bool EndMainProgram(const QString& programFolder, int graceMs = 10000);
