// The updater's window, offscreen: the check after start, "下一步" through
// to the change list, and "取消" during a transfer.
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/updater/updater_sandbox.h"
#include "updater/app/brannock_dlg.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

namespace {

template <typename Condition> bool WaitFor(Condition condition, int ms = 15000) {
    QElapsedTimer t;
    t.start();
    while (!condition() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

using UpdaterWindow = UpdaterSandbox;

TEST_F(UpdaterWindow, ChecksThenInstallsAndShowsTheChanges) {
    Write(prog(QStringLiteral("Update.dat")), "[FileVer]\n");
    serve(QStringLiteral("upd/update.dat"), "[FileVer]\na.txt=1\nb.txt=1\n[NewEdit]\n更快的下载=\n");
    serve(QStringLiteral("upd/a.txt"), "a");
    serve(QStringLiteral("upd/b.txt"), "b");
    MessageBoxRecorder boxes;
    CBrannockDlg dialog(descriptionUrl(), prog());
    dialog.show();
    auto* list = Child<QTreeWidget>(dialog, "1000");
    auto* ok = Child<QPushButton>(dialog, "1");
    auto* cancel = Child<QPushButton>(dialog, "2");
    EXPECT_EQ(Child<QLabel>(dialog, "1003")->text(), QStringLiteral("感谢您使用本软件："));
    EXPECT_FALSE(ok->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return list->topLevelItemCount() == 2; }));
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("文件名"));
    EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("准备更新"));
    EXPECT_TRUE(ok->isEnabled());

    ok->click();
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("强行关闭程序以进行升级吗？强烈建议手动关闭！")});
    EXPECT_EQ(cancel->text(), QStringLiteral("完成"));
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("     修改内容"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("更快的下载"));
    EXPECT_EQ(Child<QLabel>(dialog, "1003")->text(), QStringLiteral("升级成功！修改如下："));
    cancel->click();
    EXPECT_EQ(dialog.result(), IDOK);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(UpdaterWindow, CancelDuringTheCheckClosesOnceTheTransferStops) {
    CBrannockDlg dialog(server().url(QStringLiteral("/slow")), prog());
    dialog.show();
    // The check starts after 500 ms and pumps events while the slow body
    // arrives; Esc (and the close box) take this road during it.
    bool rejectedWhileChecking = false;
    QTimer::singleShot(1500, &dialog, [&] {
        rejectedWhileChecking = dialog.engine().phase() == CBrannockEngine::Phase::Checking;
        dialog.reject();
    });
    QElapsedTimer t;
    t.start();
    ASSERT_TRUE(WaitFor([&] { return !dialog.isVisible(); }, 8000)); // the body would take 50 s
    EXPECT_LT(t.elapsed(), 5000);
    EXPECT_TRUE(rejectedWhileChecking);
    EXPECT_EQ(dialog.result(), IDCANCEL);
    EXPECT_EQ(haveNew(), QStringLiteral("0"));
}

} // namespace
