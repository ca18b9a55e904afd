#include "gui/main/app_control.h"

#include "core/convert.h"
#include "core/log.h"
#include "core/program_files.h"

#include <QApplication>
#include <QDialog>
#include <QList>
#include <QPointer>
#include <QWidget>

#include <atomic>

namespace {
std::atomic<bool> g_quit{false};
std::atomic<bool> g_restart{false};
InstanceCommandHandler g_commandHandler;

QWidget* FrontWindow() {
    if (QWidget* w = QApplication::activeModalWidget())
        return w;
    if (QWidget* w = QApplication::activeWindow())
        return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return w;
    return nullptr;
}

// Through the dialog's own reject(), so it runs its cancel handling (the
// network settings put the file's proxy back, the speed test stops its
// worker) and ends with its own cancel result. A dialog whose reject()
// leaves it open still ends, with the plain rejected result.
// Returns false when the dialog stays open to finish its work.
bool EndDialogAsCancelled(QDialog* dialog) {
    QPointer<QDialog> alive(dialog);
    dialog->reject();
    if (!alive || !alive->isVisible())
        return true;
    if (alive->property(kFinishingWorkProperty).toBool()) {
        // The quit goes on when it has ended; the windows below it wait.
        QObject::connect(alive.data(), &QDialog::finished, qApp, [] { RequestQuit(); },
                         static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
        return false;
    }
    alive->done(QDialog::Rejected);
    return true;
}
} // namespace

void RequestQuit() {
    g_quit = true;
    // Innermost first: each closed dialog lets the one below it return.
    for (int guard = 0; guard < 64; ++guard) {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            break;
        if (!EndDialogAsCancelled(dialog))
            return;
    }
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        windows << w;
    for (const QPointer<QWidget>& w : std::as_const(windows)) {
        if (auto* dialog = qobject_cast<QDialog*>(w.data()); dialog && dialog->isVisible())
            if (!EndDialogAsCancelled(dialog))
                return;
    }
}

bool QuitRequested() { return g_quit; }

void RequestRestart() { g_restart = true; }

bool RestartRequested() { return g_restart; }

void ClearQuitRequest() { g_quit = false; }

QWidget* BringProgramToFront() {
    QWidget* w = FrontWindow();
    if (!w)
        return nullptr;
    if (w->isMinimized())
        w->showNormal();
    w->show();
    w->raise();
    w->activateWindow();
    QApplication::alert(w);
    return w;
}

void SetInstanceCommandHandler(InstanceCommandHandler handler) { g_commandHandler = std::move(handler); }

void HandleInstanceMessage(const QByteArray& message) {
    if (message == kInstanceShow) {
        const QWidget* w = BringProgramToFront();
        LogWrite(g_logRun, "INFO,show requested through the program's inbox,window=" +
                               (w ? LogEscape(w->objectName()) : std::string("none")));
    } else if (message == kInstanceQuit) {
        LogWrite(g_logRun, "INFO,quit requested through the program's inbox");
        RequestQuit();
    } else if (g_commandHandler) {
        g_commandHandler(message);
    } else {
        LogWrite(g_logRun, "INFO,command ignored (no handler yet): " +
                               LogEscape(AnsiToUtf8(message.left(200).toStdString())));
    }
}
