// The birthday and holiday reminder window: what it lists, what its commands
// hand on, and its sound, with stand-ins for the composer, the contact
// window and the player.
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "gui/automation/reminder_sound.h"
#include "gui/automation/tip_window.h"
#include "platform/ini.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

struct PlayerLog {
    QStringList played;
    int stops = 0;
};

class RecordingPlayer : public ReminderSoundPlayer {
public:
    explicit RecordingPlayer(std::shared_ptr<PlayerLog> log) : m_log(std::move(log)) {}
    void Play(const QString& path) override { m_log->played << path; }
    void Stop() override { ++m_log->stops; }

private:
    std::shared_ptr<PlayerLog> m_log;
};

// A short silent WAV file (8 kHz, 8 bits, mono).
QByteArray SilentWav() {
    const QByteArray samples(800, char(0x80));
    auto le32 = [](quint32 v) {
        return QByteArray(1, char(v & 0xFF)) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF) + char(v >> 24);
    };
    auto le16 = [](quint16 v) { return QByteArray(1, char(v & 0xFF)) + char(v >> 8); };
    return "RIFF" + le32(36 + samples.size()) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
           le32(8000) + le16(1) + le16(8) + "data" + le32(samples.size()) + samples;
}

class TipWindow : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TIP.ini"));
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
        // 王五 is kept in three groups; 赵六's number begins with "0"; 钱七
        // has no birthday and 孙八 is not due.
        Exec("INSERT INTO ContactList (name,mobileNum,birthDay,perNO,groupID) VALUES "
             "('王五','13812345678','1990-06-03',11,1),('王五','13812345678','1990-06-03',11,2),"
             "('王五','13812345678','1990-06-03',11,3),('赵六','01380000001','1985-06-01',12,1),"
             "('钱七','13900000003','',13,1),('孙八','13900000004','1970-01-01',14,1)");
        m_window = std::make_unique<CDlgTipWnd>(&m_mainWindow);
        m_window->SetSoundPlayer(std::make_unique<RecordingPlayer>(m_player));
        m_window->SetComposerOpener(
            [this](const std::vector<PickedContact>& contacts) { m_picked = contacts; });
        m_window->SetContactOpener([this](qint64 perNO) { m_shownContacts.push_back(perNO); });
    }
    void TearDown() override {
        m_window.reset();
        g_pLoginRights.reset();
        g_strAccountIni = m_savedIni;
        ProgramFolderTest::TearDown();
    }
    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    QTableWidget* List() { return Child<QTableWidget>(*m_window, "31022"); }
    QStringList Rows() {
        QStringList rows;
        for (int r = 0; r < List()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < List()->columnCount(); ++c)
                cells << List()->item(r, c)->text();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }
    QStringList Headers() {
        QStringList headers;
        for (int c = 0; c < List()->columnCount(); ++c)
            headers << List()->horizontalHeaderItem(c)->text();
        return headers;
    }
    bool ActionEnabled(const char* id) { return Child<QAction>(*m_window->ContextMenu(), id)->isEnabled(); }
    void WriteSound(const QString& auto5, const QString& path) {
        ASSERT_TRUE(
            ini::WriteStrings(g_strAccountIni, QStringLiteral("SysSetting"),
                              {{QStringLiteral("Auto5"), auto5}, {QStringLiteral("Content5"), path}}));
    }

    QString m_savedIni;
    QWidget m_mainWindow;
    std::unique_ptr<CDlgTipWnd> m_window;
    std::shared_ptr<PlayerLog> m_player = std::make_shared<PlayerLog>();
    std::vector<PickedContact> m_picked;
    std::vector<qint64> m_shownContacts;
};

const std::vector<HOLIDAYCONTENT> kHolidays{{QStringLiteral("2025-06-01"), QStringLiteral("儿童节")}};

TEST_F(TipWindow, BirthdaysListedOnceEachAndHandedOnWithTheirContacts) {
    // A repeated number, a number nobody has and one without a birthday.
    m_window->SetLists({QStringLiteral("13812345678"), QStringLiteral("01380000001"),
                        QStringLiteral("13812345678"), QStringLiteral("13700000000"),
                        QStringLiteral("13900000003")},
                       {});
    EXPECT_EQ(m_window->ShownTab(), 1);
    EXPECT_TRUE(Child<QPushButton>(*m_window, "1028")->isChecked());
    EXPECT_EQ(Headers(), (QStringList{"姓名", "手机号码", "生日"}));
    EXPECT_EQ(Rows(), (QStringList{"赵六|01380000001|06-01", "王五|13812345678|06-03"}));

    EXPECT_FALSE(ActionEnabled("10001")) << "nothing selected";
    List()->selectAll();
    EXPECT_TRUE(ActionEnabled("10001"));
    EXPECT_TRUE(ActionEnabled("10002"));
    Child<QAction>(*m_window->ContextMenu(), "10001")->trigger();
    ASSERT_EQ(m_picked.size(), 2u);
    EXPECT_EQ(m_picked[0].number, "01380000001");
    EXPECT_EQ(m_picked[0].name, "赵六");
    EXPECT_EQ(m_picked[0].perNO, 12);
    EXPECT_EQ(m_picked[1].number, "13812345678");
    EXPECT_EQ(m_picked[1].perNO, 11);

    List()->clearSelection();
    List()->selectRow(1);
    Child<QAction>(*m_window->ContextMenu(), "10002")->trigger();
    EXPECT_EQ(m_shownContacts, (std::vector<qint64>{11}));
}

// An operator whose numbers are masked sees them masked; the composer still
// gets the real number.
TEST_F(TipWindow, MaskedNumbersShownButRealOnesSent) {
    QStringList rights(21, QStringLiteral("1"));
    rights[0] = QStringLiteral("OP");
    g_pLoginRights = std::make_unique<QStringList>(rights);
    m_window->SetLists({QStringLiteral("13812345678")}, {});
    EXPECT_EQ(Rows(), QStringList{"王五|138****5678|06-03"});
    List()->selectRow(0);
    m_window->OnMenuCommand(10001);
    ASSERT_EQ(m_picked.size(), 1u);
    EXPECT_EQ(m_picked[0].number, "13812345678");
}

TEST_F(TipWindow, HolidaysWinAndTheCommandsStayOnTheBirthdayTab) {
    m_window->SetLists({QStringLiteral("13812345678")}, kHolidays);
    EXPECT_EQ(m_window->ShownTab(), 0);
    EXPECT_TRUE(Child<QPushButton>(*m_window, "1027")->isChecked());
    EXPECT_EQ(Child<QPushButton>(*m_window, "1027")->text(), "节日");
    EXPECT_EQ(Headers(), (QStringList{"节日名称", "节日日期"}));
    EXPECT_EQ(Rows(), QStringList{"儿童节|2025-06-01"});

    List()->selectRow(0);
    EXPECT_FALSE(ActionEnabled("10001"));
    EXPECT_FALSE(ActionEnabled("10002"));
    m_window->OnMenuCommand(10001);
    m_window->OnMenuCommand(10002);
    EXPECT_TRUE(m_picked.empty());
    EXPECT_TRUE(m_shownContacts.empty());

    Click(*m_window, "1028");
    EXPECT_EQ(m_window->ShownTab(), 1);
    EXPECT_EQ(Rows(), QStringList{"王五|13812345678|06-03"});
    List()->selectRow(0);
    m_window->OnMenuCommand(10002);
    EXPECT_EQ(m_shownContacts, (std::vector<qint64>{11}));
    Click(*m_window, "1027");
    EXPECT_EQ(Rows(), QStringList{"儿童节|2025-06-01"});
}

TEST_F(TipWindow, SoundOnlyWhenAuto5IsExactlyOne) {
    const QString wav = m_folder->file(QStringLiteral("ring.wav"));
    m_folder->writeFile(QStringLiteral("ring.wav"), SilentWav());
    const struct {
        const char* auto5;
        bool due;
        bool plays;
    } cases[] = {
        {"1", true, true}, {"0", true, false}, {"01", true, false}, {"", true, false}, {"1", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.auto5) + (c.due ? " due" : " nothing due"));
        WriteSound(QString::fromLatin1(c.auto5), wav);
        m_player->played.clear();
        m_window->SetLists(
            c.due ? std::vector<QString>{QStringLiteral("13812345678")} : std::vector<QString>{}, {});
        EXPECT_EQ(m_player->played, c.plays ? QStringList{wav} : QStringList{});
    }
}

TEST_F(TipWindow, MissingSoundFileIsLoggedAndTheWindowShowsSilently) {
    const QString missing = m_folder->file(QStringLiteral("gone.wav"));
    WriteSound(QStringLiteral("1"), missing);
    m_window->SetLists({}, kHolidays);
    m_window->show();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_TRUE(m_player->played.isEmpty());
    EXPECT_TRUE(runLog().contains("ERROR,CDlgTipWnd,sound cannot be played: " + missing))
        << runLog().toStdString();
}

TEST_F(TipWindow, ClosingHidesAndStopsAndTheNextListsShowAgain) {
    m_folder->writeFile(QStringLiteral("ring.wav"), SilentWav());
    WriteSound(QStringLiteral("1"), m_folder->file(QStringLiteral("ring.wav")));
    m_window->SetLists({QStringLiteral("13812345678")}, {});
    m_window->show();
    const int stopsBefore = m_player->stops;
    m_window->close();
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_GT(m_player->stops, stopsBefore);

    m_window->SetLists({QStringLiteral("01380000001")}, kHolidays);
    m_window->show();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->ShownTab(), 0);
    Click(*m_window, "1028");
    EXPECT_EQ(Rows(), QStringList{"赵六|01380000001|06-01"});
    EXPECT_EQ(m_player->played.size(), 2);

    // Esc closes it the same way.
    const int stops = m_player->stops;
    SendKey(m_window.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_GT(m_player->stops, stops);
}

class TipWindowScreenshots : public TipWindow {};

TEST_F(TipWindowScreenshots, Birthdays) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    m_window->SetLists({QStringLiteral("13812345678"), QStringLiteral("01380000001")}, {});
    m_window->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(m_window->grab().save(QDir(dir).filePath(QStringLiteral("birthday-tips.png"))));
}

} // namespace
