#include "updater/companion_end.h"

#include "core/program_files.h"
#include "platform/instance_channel.h"
#include "updater/companion_log.h"
#include "updater/companion_utils.h"

#include <QElapsedTimer>
#include <QThread>

bool EndMainProgram(const QString& programFolder, int graceMs) {
    if (InstanceRunning() && SendInstanceMessage(QByteArray(kInstanceQuit))) {
        QElapsedTimer waited;
        waited.start();
        while (InstanceRunning() && waited.elapsed() < graceMs)
            QThread::msleep(100);
    }
    companion::LogWriteW(QStringLiteral("强制结束进程。类名：CSQXWND_QEL"));
    return EndProcessesOf(programFolder + QLatin1Char('/') + QLatin1String(kMainExecutable));
}
