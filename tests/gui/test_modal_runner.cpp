#include "gui/widgets/modal_runner.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace {
TEST(MainWindowSeams, FileFilterAndChooserHook) {
    EXPECT_EQ(QtFileFilter(QStringLiteral("备份文件(*.bak)|*.bak||")), QStringLiteral("备份文件(*.bak) (*.bak)"));
    EXPECT_EQ(QtFileFilter(QStringLiteral("声音文件(*.mp3;*.wav;)|*.mp3;*.wav;|")),
              QStringLiteral("声音文件(*.mp3;*.wav;) (*.mp3 *.wav)"));

    SetNextFileName(QStringLiteral("/tmp/x"));
    SetNextFileName(QString());
    EXPECT_EQ(ChooseSaveFile(nullptr, QStringLiteral("a|*.bak||"), QStringLiteral("2026-12-10_csqx"),
                             QStringLiteral("bak")),
              QStringLiteral("/tmp/x.bak"));
    EXPECT_EQ(LastProposedFileName(), QStringLiteral("2026-12-10_csqx"));
    EXPECT_TRUE(ChooseOpenFile(nullptr, QStringLiteral("a|*.bak||")).isEmpty());  // the queued cancel
    SetNextFileName(std::nullopt);
}

TEST(MainWindowSeams, ModalRunnerIsReplaceable) {
    QDialog* seen = nullptr;
    ModalRunner previous = SetModalRunner([&](QDialog& d) {
        seen = CurrentModalDialog();
        return d.objectName() == QLatin1String("x") ? 1003 : 2;
    });
    QDialog dialog;
    dialog.setObjectName(QStringLiteral("x"));
    EXPECT_EQ(RunModal(dialog), 1003);
    EXPECT_EQ(seen, &dialog);
    EXPECT_EQ(CurrentModalDialog(), nullptr);
    SetModalRunner(previous);
}
} // namespace
