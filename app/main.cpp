// Corvelane: start-up and shut-down of the main program.
#include "app/core/database.h"
#include "app/core/log.h"
#include "app/gui/gui_services.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
constexpr double kVersion = 4.61;
}

int main(int argc, char** argv) {
    ResetFileAttributes();
    // Nothing is shown yet, so a machine without a display can still start it.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    InstallGuiServices();

    g_logSend.daily = g_logRun.daily = 1;
    g_logSend.enc = g_logRun.enc = 1;
    LogOpen(g_logSend, "qx.txt", 1);
    LogOpen(g_logRun, "run.txt", 1);
    char line[64];
    std::snprintf(line, sizeof line, "start...Version=%f", kVersion);
    LogWrite(g_logRun, line);
    std::snprintf(line, sizeof line, "send run...Version=%f", kVersion);
    LogWrite(g_logSend, line);

    const int opened = OpenDatabase();
    std::printf("Corvelane %.2f: database %s. The windows come in a later version.\n", kVersion,
                opened == 0 ? "ready" : "could not be opened (see the run log)");

    CloseDatabase();
    LogWrite(g_logRun, "END.");
    LogWrite(g_logSend, "END.");
    LogClose(g_logRun);
    LogClose(g_logSend);
    return opened == 0 ? 0 : 1;
}
