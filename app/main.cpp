// Corvelane: start-up and shut-down of the main program.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/companions.h"
#include "core/convert.h"
#include "core/database.h"
#include "core/log.h"
#include "core/program_files.h"
#include "core/startup.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/main/main_window.h"
#include "gui/main/skin.h"
#include "gui/main/start_window.h"
#include "gui/widgets/gui_services.h"
#include "platform/instance_channel.h"
#include "platform/msgbox.h"
#include "platform/worker_thread.h"
#include "service/service_state.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QProcess>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

// Exit codes of `Corvelane --command`, also named in the usage text.
constexpr int kCommandDelivered = 0;
constexpr int kCommandNobodyRuns = 1;
constexpr int kCommandNoAnswer = 2;
// A command line the program does not understand.
constexpr int kExitUsage = 64;
// The single-instance inbox could not be set up.
constexpr int kExitNoInbox = 3;
// The database cannot be used.
constexpr int kExitDatabase = 4;

constexpr char kUsage[] =
    "Usage: Corvelane [--command <text>] [--help]\n"
    "  (no options)      start the program; when it already runs, bring it forward\n"
    "  --command <text>  hand <text> to the running program (\"show\", \"quit\" or an add-in command)\n"
    "                    exit 0: delivered and acknowledged; 1: no program running;\n"
    "                    2: a program runs but did not answer\n"
    "  --help            print this text\n";

enum class Action { Start, Help, Command, Usage };

// Only these options are ours; anything else (Qt's own options) goes to QApplication.
Action ParseArguments(int argc, char** argv, const char*& commandText) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Action::Help;
        if (std::strcmp(argv[i], "--command") == 0) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return Action::Usage;
            commandText = argv[i + 1];
            return Action::Command;
        }
    }
    return Action::Start;
}

// `Corvelane --command "<text>"`: hands one command to the running program.
// It is not a start: no window, no start lines.
int SendCommand(int argc, char** argv, const char* text) {
    // A free lock means no program runs: say so at once instead of waiting
    // for a socket that nobody will open.
    if (!InstanceRunning()) {
        std::fprintf(stderr, "Corvelane is not running; the command was not delivered.\n");
        return kCommandNobodyRuns;
    }
    QCoreApplication app(argc, argv);
    const std::string bytes = UnicodeToAnsi(QString::fromLocal8Bit(text));
    if (SendInstanceMessage(QByteArray::fromStdString(bytes)))
        return kCommandDelivered;
    std::fprintf(stderr,
                 "Corvelane runs, but the running program did not answer; the command may not have been "
                 "delivered.\n");
    return kCommandNoAnswer;
}

// On a platform without a screen nobody could answer a box: its text goes to
// standard error and the cautious answer is taken, so the program never
// waits for a click that cannot come.
bool NobodySeesWindows() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

// The inbox is set up by every start; when that fails for any reason but a
// running program, this start cannot be told apart from the next one and
// must not go on.
int InboxFailed(const InstanceServer& inbox) {
    LogWrite(g_logRun, "ERROR,single instance," + UnicodeToUtf8(inbox.errorString()));
    SetUiLanguage(ReadLanguageSetting());
    ShowMessageBox(
        QCoreApplication::translate("CCorvelaneApp", "程序无法启动：单实例锁或本地通道无法建立。\n%1")
            .arg(inbox.errorString()),
        mb::IconError);
    LogClose(g_logRun);
    LogClose(g_logSend);
    return kExitNoInbox;
}

// A database that cannot be used is never used silently, and never changed:
// the user is told which file and why, and the program ends. The run marker
// stays, so the next start checks the file again.
int DatabaseFailed(int code) {
    ShowMessageBox(DatabaseFailureText(code), mb::IconError);
    LogClose(g_logRun);
    LogClose(g_logSend);
    return kExitDatabase;
}

void WriteStartLines() {
    char line[64];
    std::snprintf(line, sizeof line, "start...Version=%f", kProgramVersion);
    LogWrite(g_logRun, line);
    std::snprintf(line, sizeof line, "send run...Version=%f", kProgramVersion);
    LogWrite(g_logSend, line);
}

void ExitSequence() {
    UnloadSkin();
    StopBackupSwitchThread();
    CloseDatabase();
    LogWrite(g_logRun, "END.");
    LogWrite(g_logSend, "END.");
    MarkRunEnded();
    LogClose(g_logRun);
    LogClose(g_logSend);
    g_pAccount.clear();
}

} // namespace

int main(int argc, char** argv) {
    const char* commandText = nullptr;
    switch (ParseArguments(argc, argv, commandText)) {
    case Action::Help:
        std::fputs(kUsage, stdout);
        return 0;
    case Action::Usage:
        std::fputs(kUsage, stderr);
        return kExitUsage;
    case Action::Command:
        return SendCommand(argc, argv, commandText);
    case Action::Start:
        break;
    }

    ResetFileAttributes();
    QApplication app(argc, argv);
    // Between the start window and the main window no window is open.
    app.setQuitOnLastWindowClosed(false);
    InstallGuiServices();
    if (NobodySeesWindows())
        SetMessageBoxHandler(nullptr);

    g_logSend.daily = g_logRun.daily = 1;
    g_logSend.enc = g_logRun.enc = 1;
    LogOpen(g_logSend, "qx.txt", 1);
    LogOpen(g_logRun, "run.txt", 1);
    WriteStartLines();

    // One instance only: a second start brings the first to the front.
    auto inbox = std::make_unique<InstanceServer>();
    if (!inbox->listen()) {
        if (inbox->failure() != InstanceServer::Failure::AnotherInstance)
            return InboxFailed(*inbox);
        SendInstanceMessage(kInstanceShow);
        return 0;
    }
    QObject::connect(inbox.get(), &InstanceServer::messageReceived, &HandleInstanceMessage);

    const int language = ReadLanguageSetting();
    SetUiLanguage(language);
    LogWrite(g_logRun, "INFO,language=" + std::to_string(language));

    // After a run that did not end cleanly the database's pages are checked
    // before anything uses them.
    const bool checkPages = PreviousRunUnfinished();
    MarkRunStarted();
    if (const int opened = OpenDatabase(checkPages); opened != 0)
        return DatabaseFailed(opened);
    if (OldDatabaseWaitsForConversion(g_pDB)) {
        // The old client's data moves into the new database once, by the converter.
        CloseDatabase();
        if (StartConverter(true)) {
            MarkRunEnded();
            return 0;
        }
        LogWrite(g_logRun, "ERROR,the converter could not be started; starting normally");
        if (const int opened = OpenDatabase(); opened != 0)
            return DatabaseFailed(opened);
    }

    LoadSkin(ConfiguredSkinPath());

    {
        CdlgStartWnd start;
        const int result = QuitRequested() ? 1002 : start.exec();
        if (result == 1003 && !QuitRequested()) {
            CCorvelaneDlg mainWindow(start.takeLoginResult());
            mainWindow.exec();
            // Workers still asking a question get the cautious answer, so
            // the window's joins below never wait on a box nobody will see.
            CloseMessageBoxes();
        }
        CloseMessageBoxes();
    }
    ExitSequence();
    // A worker that did not end within its bound may still touch what the
    // exit sequence released: end here, without running destructors under it.
    if (AnyWorkerLeftRunning())
        std::_Exit(0);
    // The language switch: the new start must not find this one's inbox.
    inbox.reset();
    if (RestartRequested())
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {}, QDir::currentPath());
    return 0;
}
