// Delivery reports: which row a report reaches, how often the worker polls,
// what a stop does to a poll's writes, writes racing the window's inserts,
// and the plan of the report update.
#include "automation/report_thread.h"

#include "core/database.h"
#include "core/sql.h"
#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <future>
#include <thread>

namespace {

using namespace std::chrono_literals;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void AddNumber(sqlite3* db, int sendId, const char* number, const char* rrid, const char* status) {
    SqlStatement st(db, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid,status) VALUES(?1,?2,?3,?4)");
    st.bind(1, sendId).bind(2, number).bind(3, rrid);
    if (status)
        st.bind(4, status);
    else
        st.bindNull(4);
    ASSERT_EQ(st.exec(), SQLITE_OK);
}

class StatusReports : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        // Two sends to one number, one to another, and a failed send that
        // never got a reference.
        AddNumber(g_pDB, 1, "13800000001", "R1", nullptr);
        AddNumber(g_pDB, 2, "13800000001", "R2", nullptr);
        AddNumber(g_pDB, 1, "13800000002", "R1", nullptr);
        AddNumber(g_pDB, 3, "13800000001", "", "未知");
    }
    std::vector<std::string> statuses() const {
        return QueryRows(g_pDB,
                         "SELECT numOrMailAddr,rrid,IFNULL(status,'<null>') FROM sendNums ORDER BY rowid");
    }
    ReportWorkerSetup setup(int shortWaitMs, int longWaitMs) const {
        ReportWorkerSetup s;
        s.databasePath = SystemDatabasePath();
        s.serial = serial();
        s.password = password();
        s.startDelayMs = 0;
        s.loopDelayMs = 0;
        s.shortWaitMs = shortWaitMs;
        s.longWaitMs = longWaitMs;
        return s;
    }
    static void stop(WorkerControl& control) {
        control.running = false;
        control.stop.set();
    }
};

// Each status lands on the row of its number and reference only, as it
// came; an empty reference or an unknown pair changes nothing.
TEST_F(StatusReports, StatusReachesOnlyItsNumberAndReference) {
    std::vector<RECV_REPORT> reports = {
        {Q("13800000001"), Q("R1"), Q("DELIVRD")},
        {Q("13800000002"), Q("R1"), Q("it's'; DELETE FROM sendNums; --")},
        {Q("13800000001"), QString(), Q("UNDELIV")},
        {Q("13800000009"), Q("R2"), Q("DELIVRD")},
    };
    ASSERT_TRUE(WriteStatusReports(g_pDB, reports));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(statuses(), (std::vector<std::string>{"13800000001|R1|DELIVRD", "13800000001|R2|<null>",
                                                    "13800000002|R1|it's'; DELETE FROM sendNums; --",
                                                    "13800000001||未知"}));
    EXPECT_TRUE(runLog().contains(Q("WARN,状态报告没有发送编号，未更新:13800000001,,UNDELIV")));
}

// A stop between two writes ends the writing: the reports not yet written
// stay with the caller, nothing is half done.
TEST_F(StatusReports, StopBetweenWritesKeepsTheRest) {
    WorkerControl control;
    stop(control);
    std::vector<RECV_REPORT> reports = {{Q("13800000001"), Q("R1"), Q("DELIVRD")},
                                        {Q("13800000001"), Q("R2"), Q("DELIVRD")}};
    EXPECT_TRUE(WriteStatusReports(g_pDB, reports, &control));
    EXPECT_EQ(reports.size(), 2u);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status='DELIVRD'"), 0);
}

// A write the database refuses keeps the reports for another try.
TEST_F(StatusReports, ReportsOfAFailedWriteAreKept) {
    sqlite3* other = OpenConnection(SystemDatabasePath());
    sqlite3_busy_timeout(g_pDB, 50);
    ASSERT_EQ(ExecSql(nullptr, other, "BEGIN IMMEDIATE"), SQLITE_OK);
    std::vector<RECV_REPORT> reports = {{Q("13800000001"), Q("R1"), Q("DELIVRD")}};
    EXPECT_FALSE(WriteStatusReports(g_pDB, reports));
    EXPECT_EQ(reports.size(), 1u);
    ExecSql(nullptr, other, "ROLLBACK");
    CloseConnection(other);
    EXPECT_TRUE(WriteStatusReports(g_pDB, reports));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(statuses()[0], "13800000001|R1|DELIVRD");
}

// Through the worker and the loopback service, with its own connection.
TEST_F(StatusReports, WorkerWritesAPollsReports) {
    m_main->script("report", LoopbackAnswer::Text("1,0,13800000001,R2,DELIVRD\r\n"
                                                  "2,0,13800000002,R1,UNDELIV\r\n"));
    WorkerControl control;
    control.running = true;
    std::thread worker(ReportThreadProc, std::ref(control), setup(20, 20));
    const bool written = WaitUntil([&] {
        return QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE status IS NOT NULL AND rrid<>''") == 2;
    });
    stop(control);
    worker.join();
    ASSERT_TRUE(written);
    EXPECT_EQ(statuses(), (std::vector<std::string>{"13800000001|R1|<null>", "13800000001|R2|DELIVRD",
                                                    "13800000002|R1|UNDELIV", "13800000001||未知"}));
    const auto calls = m_main->calls("report");
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].field("sn").value_or(""), kSerial);
}

// -1 (nothing to report, or no answer) waits long before the next poll; an
// answer that is not -1 polls again soon, even when no record could be read
// from it.
TEST_F(StatusReports, PollingPace) {
    struct Case {
        const char* what;
        const char* answer;
        bool often;
    };
    const Case cases[] = {
        {"-1", "-1", false},
        {"records, none readable", "1,2,3\r\n4,5", true},
        {"records", "1,0,13800000001,R1,DELIVRD", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_main->clear();
        m_main->script("report", LoopbackAnswer::Text(c.answer));
        WorkerControl control;
        control.running = true;
        // The first wait is a long one too.
        std::thread worker(ReportThreadProc, std::ref(control), setup(20, 400));
        std::this_thread::sleep_for(1300ms);
        stop(control);
        worker.join();
        const size_t polls = m_main->calls("report").size();
        if (c.often) {
            EXPECT_GE(polls, 8u);
        } else {
            EXPECT_GE(polls, 1u);
            EXPECT_LE(polls, 3u);
        }
    }
    const QStringList lines = logLines();
    EXPECT_GE(lines.count(Q("ERROR,处理接收报告出错！caReport.GetCount =0")), 8);
}

// A close ends the worker at once wherever it is: in its start delays, in a
// long wait, or right after a poll that was in flight (whose reports are
// then logged, not written half).
TEST_F(StatusReports, CloseEndsTheWorkerAtOnce) {
    struct Case {
        const char* what;
        int startDelayMs;
        int loopDelayMs;
        int longWaitMs;
        bool heldPoll;
    };
    const Case cases[] = {
        {"first start delay", kWorkerStartDelayMs, 1000, 120000, false},
        {"second start delay", 0, 60000, 120000, false},
        {"long wait", 0, 0, 120000, false},
        {"a poll", 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_main->clear();
        m_main->script("report", c.heldPoll
                                     ? LoopbackAnswer::Held(LoopbackAnswer::Text("1,0,13800000001,R1,LATE"))
                                     : LoopbackAnswer::Text("-1"));
        ReportWorkerSetup s = setup(2000, c.longWaitMs);
        s.startDelayMs = c.startDelayMs;
        s.loopDelayMs = c.loopDelayMs;
        WorkerControl control;
        control.running = true;
        auto done = std::async(std::launch::async, [&] { ReportThreadProc(control, s); });
        if (c.heldPoll)
            ASSERT_TRUE(m_main->waitForHeld());
        else
            std::this_thread::sleep_for(200ms);
        const auto start = std::chrono::steady_clock::now();
        stop(control);
        if (c.heldPoll)
            m_main->release();
        EXPECT_EQ(done.wait_for(std::chrono::milliseconds(TimeBoundMs(2000))), std::future_status::ready);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(TimeBoundMs(2000)));
        if (c.heldPoll) {
            EXPECT_EQ(statuses()[0], "13800000001|R1|<null>");
            EXPECT_TRUE(runLog().contains(Q("WARN,状态报告未写入数据库:13800000001,R1,LATE")));
        } else {
            EXPECT_LE(m_main->calls("report").size(), c.longWaitMs ? 0u : 1u);
        }
        // The event is cleared for a later start.
        EXPECT_FALSE(control.stop.isSet());
    }
}

// The worker's poll writes and the window's inserts run at once on their own
// connections: every insert and every status arrives.
TEST_F(StatusReports, ReportWritesRacingInsertsLoseNothing) {
    constexpr int kPolls = 40;
    constexpr int kPerPoll = 50;
    for (int i = 0; i < kPolls * kPerPoll; ++i) {
        const std::string number = std::to_string(13900000000LL + i);
        AddNumber(g_pDB, 10, number.c_str(), "RACE", nullptr);
    }
    auto reports = std::async(std::launch::async, [&] {
        sqlite3* db = OpenConnection(SystemDatabasePath());
        int failed = 0;
        for (int p = 0; p < kPolls; ++p) {
            std::vector<RECV_REPORT> poll;
            for (int j = 0; j < kPerPoll; ++j)
                poll.push_back({QString::number(13900000000LL + p * kPerPoll + j), Q("RACE"), Q("DELIVRD")});
            failed += !WriteStatusReports(db, poll) || !poll.empty();
        }
        CloseConnection(db);
        return failed;
    });
    int inserted = 0;
    for (int i = 0; i < 200; ++i) {
        SqlTransaction tx(g_pDB);
        SqlStatement st(g_pDB, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid) VALUES(11,?1,'')");
        st.bind(1, std::to_string(13700000000LL + i));
        if (tx.active() && st.exec() == SQLITE_OK && tx.commit() == SQLITE_OK)
            ++inserted;
    }
    EXPECT_EQ(reports.get(), 0);
    EXPECT_EQ(inserted, 200);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE sendID=11"), 200);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums WHERE rrid='RACE' AND status='DELIVRD'"),
              kPolls * kPerPoll);
}

// Without an index on the number each report would scan the whole table
// under the write lock.
TEST_F(StatusReports, UpdateUsesTheNumberIndex) {
    const std::vector<std::string> plan =
        QueryRows(g_pDB, std::string("EXPLAIN QUERY PLAN ") + kStatusReportUpdate);
    std::string details;
    for (const std::string& row : plan)
        details += row + "\n";
    EXPECT_NE(details.find("USING INDEX index_numOrMailAddr"), std::string::npos) << details;
}

} // namespace
