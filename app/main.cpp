// Corvelane: start-up and shut-down of the main program.
#include "core/app_globals.h"
#include "core/account.h"
#include "core/companions.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/log.h"
#include "core/program_files.h"
#include "core/startup.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/widgets/gui_services.h"
#include "gui/main/main_window.h"
#include "gui/main/skin.h"
#include "gui/main/start_window.h"
#include "platform/instance_channel.h"
#include "service/service_state.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace {

constexpr double kVersion = 4.61;

// `Corvelane --command "<text>"`: hands one command to the running program.
// It is not a start: no window, no start lines.
int SendCommand(int argc, char** argv, const char* text) {
    QCoreApplication app(argc, argv);
    const std::string bytes = UnicodeToAnsi(QString::fromLocal8Bit(text));
    if (SendInstanceMessage(QByteArray::fromStdString(bytes)))
        return 0;
    std::fprintf(stderr, "Corvelane is not running; the command was not delivered.\n");
    return 1;
}

void WriteStartLines() {
    char line[64];
    std::snprintf(line, sizeof line, "start...Version=%f", kVersion);
    LogWrite(g_logRun, line);
    std::snprintf(line, sizeof line, "send run...Version=%f", kVersion);
    LogWrite(g_logSend, line);
}

void ExitSequence() {
    UnloadSkin();
    StopBackupSwitchThread();
    CloseDatabase();
    LogWrite(g_logRun, "END.");
    LogWrite(g_logSend, "END.");
    LogClose(g_logRun);
    LogClose(g_logSend);
    g_pAccount.clear();
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--command") == 0)
            return SendCommand(argc, argv, argv[i + 1]);

    ResetFileAttributes();
    QApplication app(argc, argv);
    // Between the start window and the main window no window is open.
    app.setQuitOnLastWindowClosed(false);
    InstallGuiServices();

    g_logSend.daily = g_logRun.daily = 1;
    g_logSend.enc = g_logRun.enc = 1;
    LogOpen(g_logSend, "qx.txt", 1);
    LogOpen(g_logRun, "run.txt", 1);
    WriteStartLines();

    // One instance only: a second start brings the first to the front.
    InstanceServer inbox;
    if (!inbox.listen()) {
        SendInstanceMessage(kInstanceShow);
        return 0;
    }
    QObject::connect(&inbox, &InstanceServer::messageReceived, &HandleInstanceMessage);

    const int language = ReadLanguageSetting();
    SetUiLanguage(language);
    LogWrite(g_logRun, "INFO,language=" + std::to_string(language));

    if (OpenDatabase() == 0 && OldDatabaseWaitsForConversion(g_pDB)) {
        // The old client's data moves into the new database once, by the converter.
        CloseDatabase();
        if (StartConverter(true))
            return 0;
        LogWrite(g_logRun, "ERROR,the converter could not be started; starting normally");
        OpenDatabase();
    }

    LoadSkin(ConfiguredSkinPath());

    {
        CdlgStartWnd start;
        const int result = QuitRequested() ? 1002 : start.exec();
        if (result == 1003 && !QuitRequested()) {
            CCorvelaneDlg mainWindow(start.takeLoginResult());
            mainWindow.exec();
        }
    }
    ExitSequence();
    return 0;
}
