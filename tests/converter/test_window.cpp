// The converter's window offscreen, with the message boxes recorded.
#include "converter/app/keldrune_dlg.h"
#include "core/database.h"
#include "platform/ini.h"
#include "tests/converter/converter_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/test_helpers.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <chrono>

using namespace std::chrono_literals;

class ConverterWindow : public ConverterTest {
protected:
    // The window ends a main program through the inbox: only this folder's.
    void SetUp() override {
        ConverterTest::SetUp();
        m_savedRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QString runtime = m_folder->file(QStringLiteral("run"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    }
    void TearDown() override {
        qputenv("XDG_RUNTIME_DIR", m_savedRuntime);
        ConverterTest::TearDown();
    }
    QByteArray m_savedRuntime;
    QString config() const { return m_folder->file(QStringLiteral("CsqxConfig.ini")); }
    QString haveConvert() const {
        return ini::ReadString(config(), QStringLiteral("HaveConvert"), QStringLiteral("default"));
    }
    static bool startVisible(CKeldruneDlg& dialog) { return !Child<QPushButton>(dialog, "1002")->isHidden(); }
    static bool barVisible(CKeldruneDlg& dialog) { return !Child<QProgressBar>(dialog, "1003")->isHidden(); }
    // Waits until a started conversion has ended one way or the other.
    static bool settled(CKeldruneDlg& dialog) {
        return WaitUntil(
            [&] { return !dialog.running() && (dialog.result() == IDOK || startVisible(dialog)); }, 10000ms);
    }
    MessageBoxRecorder m_boxes;
};

TEST_F(ConverterWindow, AnyArgumentConvertsByItselfAndNeverReplacesAnEarlierCopy) {
    m_folder->writeFile(QStringLiteral("crm.mdb.Cov"), "an earlier copy");
    const QByteArray original = FileBytes(source());
    CKeldruneDlg dialog(true, m_folder->path());
    dialog.show();
    EXPECT_TRUE(Child<QPushButton>(dialog, "21004")->isHidden()) << "no browsing in auto mode";
    EXPECT_EQ(rows("SELECT COUNT(*) FROM ContactList"), "0") << "nothing before the timer";

    ASSERT_TRUE(WaitUntil([&] { return dialog.result() == IDOK; }, 10000ms));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("转换成功.请重启客户端.")});
    EXPECT_EQ(haveConvert(), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(source()));
    EXPECT_EQ(m_folder->readFile(QStringLiteral("crm.mdb.Cov")), QByteArray("an earlier copy"));
    EXPECT_EQ(m_folder->readFile(QStringLiteral("crm.mdb.Cov1")), original);
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM ContactList"), "6");
}

TEST_F(ConverterWindow, EarlierConversionAsksFirstEvenInAutoMode) {
    ini::WriteString(config(), QStringLiteral("HaveConvert"), QStringLiteral("default"), QStringLiteral("1"));
    m_boxes.queueAnswer(IDNO);
    CKeldruneDlg dialog(true, m_folder->path());
    dialog.show();
    ASSERT_TRUE(WaitUntil([&] { return !m_boxes.texts().isEmpty(); }, 5000ms));
    EXPECT_EQ(m_boxes.texts(),
              QStringList{QStringLiteral(
                  "您已经转换过数据，若重复转换会导致数据重复以及错乱，您确定要再转换一次吗？")});
    EXPECT_EQ(m_boxes.shown().front().type, mb::IconWarning | mb::YesNo);
    QApplication::processEvents();
    EXPECT_TRUE(startVisible(dialog));
    EXPECT_FALSE(dialog.running());
    EXPECT_EQ(dialog.result(), kStayedOpen);
    EXPECT_TRUE(QFileInfo::exists(source()));
}

TEST_F(ConverterWindow, ManualModeControls) {
    CKeldruneDlg dialog(false, m_folder->path());
    dialog.show();
    QApplication::processEvents();
    auto* path = Child<QLineEdit>(dialog, "1000");
    EXPECT_FALSE(Child<QPushButton>(dialog, "21004")->isHidden());
    EXPECT_FALSE(barVisible(dialog));
    EXPECT_EQ(path->text(), source());

    // Read-only while focused, writable otherwise.
    dialog.activateWindow();
    path->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return path->hasFocus(); }, 2000ms));
    EXPECT_TRUE(path->isReadOnly());
    Child<QPushButton>(dialog, "1002")->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return !path->hasFocus(); }, 2000ms));
    EXPECT_FALSE(path->isReadOnly());

    // Browsing fills the box; an empty box is refused.
    QString filterSeen;
    CKeldruneDlg::SetFileChooser([&](QWidget*, const QString& filter) {
        filterSeen = filter;
        return m_folder->file(QStringLiteral("picked.mdb"));
    });
    Click(dialog, "21004");
    CKeldruneDlg::SetFileChooser({});
    EXPECT_EQ(filterSeen, QStringLiteral("数据库文件 (*.mdb)"));
    EXPECT_EQ(path->text(), m_folder->file(QStringLiteral("picked.mdb")));
    path->clear();
    Click(dialog, "1002");
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("请选择原客户端的数据库文件.")});
    EXPECT_EQ(m_boxes.shown().front().type, mb::IconWarning | mb::Ok);
    EXPECT_EQ(m_boxes.shown().front().title, QStringLiteral("Corvelane"));

    // Enter and Esc are swallowed.
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
    }
    QApplication::processEvents();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), kStayedOpen);

    // The About box hangs in the context menu.
    QAction* about = dialog.findChild<QAction*>(QStringLiteral("16"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QStringLiteral("关于 Keldrune(&A)..."));
    bool sawAbout = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<CKeldruneAboutDlg*>(w); box && box->isVisible()) {
                sawAbout = ShownTexts(*box).contains(QStringLiteral("Keldrune 1.0 版"));
                box->accept();
            }
    });
    about->trigger();
    EXPECT_TRUE(sawAbout);
}

TEST_F(ConverterWindow, FailuresShowTheirTextAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void()> prepare;
        QString text; // shown text starts with this
    };
    const std::vector<Case> cases = {
        {"missing relation table", [&] { WriteOldDatabase(source(), "DROP TABLE GrpConRelation;"); },
         QStringLiteral("转换联系人失败")},
        {"missing source", [&] { QFile::remove(source()); }, QStringLiteral("打开原客户端数据库失败.")},
        {"text file as source", [&] { m_folder->writeFile(QStringLiteral("crm.mdb"), "plain text\n"); },
         QStringLiteral("打开原客户端数据库失败.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteOldDatabase(source());
        c.prepare();
        m_boxes.clear();
        const QByteArray sourceBytes = FileBytes(source());
        const std::string before = DumpDatabase(SystemDatabasePath());
        CKeldruneDlg dialog(false, m_folder->path());
        dialog.show();
        Click(dialog, "1002");
        ASSERT_TRUE(settled(dialog));
        ASSERT_EQ(m_boxes.texts().size(), 1);
        EXPECT_TRUE(m_boxes.texts().front().startsWith(c.text)) << m_boxes.texts().front().toStdString();
        EXPECT_EQ(m_boxes.shown().front().type, mb::IconError | mb::Ok);
        EXPECT_TRUE(startVisible(dialog));
        EXPECT_FALSE(barVisible(dialog));
        EXPECT_EQ(DumpDatabase(SystemDatabasePath()), before);
        EXPECT_EQ(FileBytes(source()), sourceBytes);
        EXPECT_FALSE(QFileInfo::exists(source() + QStringLiteral(".Cov")));
        EXPECT_TRUE(haveConvert().isEmpty());
    }
}

TEST_F(ConverterWindow, TargetThatIsNotADatabaseOrMissing) {
    CloseDatabase();
    m_folder->writeFile(QStringLiteral("DB/SystemData.db3"), "this is not a database at all");
    {
        CKeldruneDlg dialog(false, m_folder->path());
        dialog.show();
        Click(dialog, "1002");
        ASSERT_TRUE(settled(dialog));
        EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("打开新客户端数据库失败.")});
        EXPECT_EQ(m_folder->readFile(QStringLiteral("DB/SystemData.db3")),
                  QByteArray("this is not a database at all"));
        EXPECT_TRUE(QFileInfo::exists(source()));
    }
    QFile::remove(SystemDatabasePath());
    m_boxes.clear();
    CKeldruneDlg dialog(false, m_folder->path());
    dialog.show();
    Click(dialog, "1002");
    ASSERT_TRUE(settled(dialog));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("转换成功.请重启客户端.")});
    ASSERT_EQ(OpenDatabase(), 0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM sendInfo"), "6");
}

TEST_F(ConverterWindow, ClosingDuringARunRollsBack) {
    const std::string before = DumpDatabase(SystemDatabasePath());
    // A second writer holds the database, so the close surely comes before
    // the conversion could commit.
    sqlite3* blocker = OpenConnection(SystemDatabasePath());
    ASSERT_NE(blocker, nullptr);
    ASSERT_EQ(sqlite3_exec(blocker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    CKeldruneDlg dialog(false, m_folder->path());
    dialog.show();
    Click(dialog, "1002");
    ASSERT_TRUE(dialog.running());
    QCloseEvent close;
    QApplication::sendEvent(&dialog, &close);
    sqlite3_exec(blocker, "ROLLBACK", nullptr, nullptr, nullptr);
    CloseConnection(blocker);
    ASSERT_TRUE(WaitUntil([&] { return dialog.result() == IDOK; }, 10000ms));
    EXPECT_FALSE(dialog.running());
    EXPECT_TRUE(m_boxes.texts().isEmpty());
    EXPECT_EQ(DumpDatabase(SystemDatabasePath()), before);
    EXPECT_TRUE(QFileInfo::exists(source()));
    EXPECT_TRUE(haveConvert().isEmpty());
}

TEST_F(ConverterWindow, ClosingAfterTheCommitStillMarksTheConversionDone) {
    CKeldruneDlg dialog(false, m_folder->path());
    dialog.show();
    Click(dialog, "1002");
    ASSERT_TRUE(dialog.running());
    // Without the event loop the worker's end stays queued: wait for its
    // commit, then close before the window learns of it.
    sqlite3* reader = OpenConnection(SystemDatabasePath());
    ASSERT_NE(reader, nullptr);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (QueryScalar(reader, "SELECT COUNT(*) FROM sendInfo") != 6 &&
           std::chrono::steady_clock::now() < deadline)
        QThread::msleep(10);
    CloseConnection(reader);
    QCloseEvent close;
    QApplication::sendEvent(&dialog, &close);
    ASSERT_TRUE(WaitUntil([&] { return dialog.result() == IDOK; }, 10000ms));
    EXPECT_EQ(m_boxes.texts(), QStringList{QStringLiteral("转换成功.请重启客户端.")});
    EXPECT_EQ(haveConvert(), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(source()));
}
