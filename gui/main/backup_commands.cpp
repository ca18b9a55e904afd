#include "gui/main/backup_commands.h"

#include "core/db_backup.h"
#include "core/string_table.h"
#include "gui/widgets/modal_runner.h"
#include "platform/msgbox.h"

#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CCorvelaneDlg", text);
}

// Runs `work` on a worker thread while the event loop goes on, showing its
// progress when it takes longer than a moment. The window stays responsive
// but takes no input meanwhile (the progress dialog is modal to it).
int RunWithProgress(QWidget* owner, const QString& label,
                    const std::function<int(const DbCopyProgress&)>& work) {
    std::atomic<int> copied{0};
    std::atomic<int> total{0};
    std::atomic<bool> done{false};
    int result = 0;

    QProgressDialog dialog(label, QString(), 0, 0, owner); // no cancel button: a copy is not abandoned
    dialog.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);

    QEventLoop loop;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (const int t = total.load()) {
            dialog.setMaximum(t);
            dialog.setValue(copied.load());
        }
        if (done.load())
            loop.quit();
    });

    std::thread worker([&] {
        result = work([&](int c, int t) {
            copied = c;
            total = t;
            return true;
        });
        done = true;
    });
    poll.start();
    loop.exec();
    worker.join();
    return result;
}

} // namespace

void BackupDatabase(QWidget* owner) {
    const QString proposed =
        QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("_csqx");
    const QString target = ChooseSaveFile(owner, LoadStr(356), proposed, QStringLiteral("bak"));
    if (target.isEmpty())
        return;
    const int id = RunWithProgress(owner, Tr("数据库备份"), [&](const DbCopyProgress& progress) {
        return BackupDatabaseTo(target, progress);
    });
    ShowMessageBox(LoadStr(id), mb::IconInformation | mb::Ok);
}

bool RestoreDatabase(QWidget* owner, std::function<void()> stopWorkers) {
    const QString candidate = ChooseOpenFile(owner, LoadStr(356));
    if (candidate.isEmpty())
        return false;
    // The candidate is checked and copied beside the database on a worker;
    // only the swap itself needs the GUI thread (it closes g_pDB).
    int rc = RunWithProgress(owner, Tr("数据库恢复"),
                             [&](const DbCopyProgress&) { return PrepareRestore(candidate); });
    if (rc == 0)
        rc = FinishRestore(stopWorkers);
    switch (rc) {
    case 357:
    case 358:
    case 359:
        ShowMessageBox(LoadStr(rc), mb::IconError | mb::Ok);
        return false;
    case 360:
        ShowMessageBox(LoadStr(360), mb::IconInformation | mb::Ok);
        return true;
    default:
        ShowMessageBox(Tr("恢复数据失败！"), mb::IconError | mb::Ok);
        return false;
    }
}
