// Brannock: the updater beside Corvelane. With "<address> /hide" it only
// checks, without a window; otherwise it shows the files to update and
// installs them.
#include "core/paths.h"
#include "platform/msgbox.h"
#include "platform/msgbox_gui.h"
#include "updater/app/brannock_dlg.h"
#include "updater/brannock_engine.h"
#include "updater/command_line.h"
#include "updater/companion_log.h"
#include "updater/updater_lock.h"

#include <QApplication>
#include <QCoreApplication>

#include <memory>

namespace {

class CBrannockApp {
public:
    int InitInstance(int argc, char** argv);
};

int CBrannockApp::InitInstance(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString folder = GetAppDirectory();
    companion::LogOpen(QStringLiteral("update"), true);
    companion::LogWriteW(QStringLiteral("update START...ver=20120619"));
    const UpdaterCommandLine line = ParseCommandLine(arguments, folder);

    // The silent check runs without a window, so it needs no display.
    std::unique_ptr<QCoreApplication> app;
    if (line.interactive) {
        app = std::make_unique<QApplication>(argc, argv);
        InstallGuiMessageBoxes();
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    UpdaterLock lock;
    if (!lock.acquire()) {
        if (line.interactive)
            ShowMessageBox(QStringLiteral("升级程序已经运行"), mb::Ok, QStringLiteral("Brannock"));
        companion::LogClose();
        return 0;
    }

    int result = IDCANCEL;
    if (line.interactive) {
        CBrannockDlg dialog(line.address, folder);
        dialog.show();
        result = dialog.exec();
    } else {
        IUpdateView silent;
        CBrannockEngine engine(silent, folder, false);
        engine.Start(line.address);
        engine.CheckUpdate();
        result = engine.endResult();
    }
    if (result == IDOK)
        companion::LogWriteW(QStringLiteral("通过OK按钮关闭."));
    else if (result == IDCANCEL)
        companion::LogWriteW(QStringLiteral("通过CANCEL按钮关闭."));
    companion::LogWriteW(QStringLiteral("update END"));
    companion::LogClose();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CBrannockApp app;
    return app.InitInstance(argc, argv);
}
