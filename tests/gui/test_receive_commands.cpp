// The main window's receiving: the receive window for the timer, the
// command, one job at a time on a worker, what the job shows, and the close
// while a job waits for the service.
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/app_control.h"
#include "gui/main/main_window.h"
#include "gui/sms/received_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "platform/encoding.h"
#include "platform/ini.h"
#include "service/service_state.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

std::string MoRecord(const std::string& id, const std::string& sender, const char* textUtf8) {
    return id + ",10690000," + sender + "," + UrlEncode(enc::ToGbk(QString::fromUtf8(textUtf8))) +
           ",2026-12-10 10:00:00";
}

int Count(const std::string& sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? static_cast<int>(st.int64(0)) : -1;
}

class ReceiveCommandTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        set("SysSetting", "Auto7", "1");
        m_previousRunner = SetModalRunner([](QDialog&) { return int(IDCANCEL); });
        m_main->script("GetAllInfo2",
                       LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", "10690000"}}));
    }
    void TearDown() override {
        m_window.reset();
        SetModalRunner(m_previousRunner);
        SetServiceTimeoutCap(0);
        ReopenMessageBoxes();
        ClearQuitRequest();
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }
    void set(const char* section, const char* key, const char* value) {
        ini::WriteString(g_strAccountIni, QLatin1String(section), QLatin1String(key), QString::fromUtf8(value));
    }
    CCorvelaneDlg& open() {
        m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{QStringLiteral("AD")}));
        // 2026-12-11 03:00, a Friday night.
        m_window->setClock([] { return QDateTime(QDate(2026, 12, 11), QTime(3, 0)); });
        m_window->show();
        EXPECT_TRUE(WaitUntil([&] { return m_window->commandsReady(); }, std::chrono::milliseconds(TimeBoundMs(10000))));
        // Past the first selection of the tree.
        WaitUntil([] { return false; }, 200ms);
        return *m_window;
    }
    size_t moCalls() const { return m_main->calls("mo").size(); }
    bool jobDone() { return WaitUntil([&] { return !m_window->receiveWorkerRunning(); }, std::chrono::milliseconds(TimeBoundMs(10000))); }
    qint64 selectedNode() const {
        QTreeWidgetItem* item = m_window->tree()->currentItem();
        return item ? item->data(0, Qt::UserRole).toLongLong() : -1;
    }

    std::unique_ptr<CCorvelaneDlg> m_window;
    ModalRunner m_previousRunner;
};

using ReceivedTrafficWindow = ReceiveCommandTest;

} // namespace

TEST_F(ReceivedTrafficWindow, TimerOutsideTheWindowSkipsTheCommandReceives) {
    set("SysSetting", "StartTime", "22:00:00");
    set("SysSetting", "EndTime", "07:00:00");
    open();
    EXPECT_FALSE(m_window->IsInReceiveWindow());
    m_window->OnTimer(11);
    EXPECT_FALSE(m_window->receiveWorkerRunning());
    WaitUntil([] { return false; }, 100ms);
    EXPECT_EQ(moCalls(), 0u);
    m_main->script("mo", LoopbackAnswer::Text("1"));
    m_window->OnMenuCommand(32794);
    ASSERT_TRUE(jobDone());
    EXPECT_EQ(moCalls(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return m_boxes->texts().contains(LoadStr(353)); }));
    // The timer inside the window receives too, and shows no box.
    set("SysSetting", "StartTime", "");
    set("SysSetting", "EndTime", "");
    m_window->OnTimer(11);
    ASSERT_TRUE(jobDone());
    WaitUntil([] { return false; }, 100ms);
    EXPECT_EQ(moCalls(), 2u);
    EXPECT_EQ(m_boxes->texts().count(LoadStr(353)), 1);
}

TEST_F(ReceivedTrafficWindow, ManualBatchSelectsTheReceivedNode) {
    open();
    ASSERT_NE(selectedNode(), node::Received);
    m_main->script("mo", LoopbackAnswer::Text(MoRecord("1", "13900000001", "你好")));
    m_window->ReceiveMessages(1);
    ASSERT_TRUE(jobDone());
    EXPECT_TRUE(WaitUntil([&] { return selectedNode() == node::Received; }));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM receivedMSGRecord"), 1);
    // The node's view, queried when the node was chosen, lists the message.
    const auto* view = dynamic_cast<CDlgMsgRecord1Received*>(m_window->currentView());
    ASSERT_NE(view, nullptr);
    ASSERT_NE(view->List()->model(), nullptr);
    EXPECT_EQ(view->List()->model()->rowCount(), 1);
}

// While the service holds its answer the window goes on (its timers fire),
// a timer call starts no second job, and a command during the job makes it
// answer as to the command.
TEST_F(ReceivedTrafficWindow, HeldAnswerOneJobAndTheWindowGoesOn) {
    open();
    m_main->scriptOnce("mo", LoopbackAnswer::Held(LoopbackAnswer::Text(MoRecord("1", "13900000001", "x"))));
    m_window->ReceiveMessages(0);
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(5000)));
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    EXPECT_TRUE(WaitUntil([&] { return ticks >= 5; }, std::chrono::milliseconds(TimeBoundMs(3000))));
    m_window->OnTimer(11);
    m_window->OnMenuCommand(32794);
    EXPECT_TRUE(m_window->receiveWorkerRunning());
    m_main->release();
    ASSERT_TRUE(jobDone());
    EXPECT_EQ(moCalls(), 1u);
    EXPECT_TRUE(WaitUntil([&] { return selectedNode() == node::Received; }));
}

TEST_F(ReceivedTrafficWindow, CloseDuringAHeldReceiveEndsWithinTheCallsTimeOut) {
    SetServiceTimeoutCap(1);
    open();
    m_main->scriptOnce("mo", LoopbackAnswer::Held(LoopbackAnswer::Text(MoRecord("1", "13900000001", "x"))));
    m_window->ReceiveMessages(1);
    ASSERT_TRUE(m_main->waitForHeld(TimeBoundMs(5000)));
    QElapsedTimer clock;
    clock.start();
    m_window->OnClose(false);
    EXPECT_LT(clock.elapsed(), TimeBoundMs(15000));
    EXPECT_FALSE(m_window->receiveWorkerRunning());
    EXPECT_FALSE(m_boxes->texts().contains(LoadStr(353)));
    m_main->release();
}
