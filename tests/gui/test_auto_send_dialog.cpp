// One contact's greetings for the coming years as a user schedules them: the
// input the dialog refuses, the times it proposes, the one gxmt call (real
// client, loopback service or a peer that never answers), the records it
// leaves and the result the contact editor acts on.
#include "core/database.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/automation/auto_send_dialog.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/contacts/optional_date_edit.h"
#include "gui/widgets/modal_runner.h"
#include "service/service_state.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const QString kRefused = QStringLiteral("定时短信未被接受，已记入失败记录。");
const QString kUnknown =
    QStringLiteral("定时短信已提交，但未收到服务应答，结果未知，请核对后再决定是否重新提交。");
const QString kWriteFailed = QStringLiteral("写短信记录出错，发送已停止。");
constexpr auto kCallBound = std::chrono::milliseconds(TimeBoundMs(20000));

struct Input {
    QString date = QStringLiteral("1990-06-15");
    QString days = QStringLiteral("0");
    QTime time = QTime(9, 0);
    int years = 3;
    QString content = QStringLiteral("生日快乐");
};

class AutoSend : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
    }
    void TearDown() override {
        SetModalRunner({});
        ServiceTest::TearDown();
    }

    // The dialog for 13800000001 at `now`, filled in as `in` says.
    std::unique_ptr<CDlgAutoSend> Open(const Input& in, const char* now = "2025-01-10 08:00:00") {
        auto d = std::make_unique<CDlgAutoSend>();
        Prepare(*d, in, now);
        d->show();
        return d;
    }
    static void Prepare(CDlgAutoSend& d, const Input& in, const char* now) {
        const QDateTime at =
            QDateTime::fromString(QString::fromLatin1(now), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        d.SetMobile(QStringLiteral("13800000001"));
        d.SetDate(in.date);
        d.SetKind(0);
        d.SetClock([at] { return at; });
        auto* days = Child<QLineEdit>(d, "21015");
        days->clear();
        Type(days, in.days);
        Type(Child<QLineEdit>(d, "1004"), in.content);
        Child<QTimeEdit>(d, "21009")->setTime(in.time);
        Child<QComboBox>(d, "21040")->setCurrentIndex(in.years - 1);
    }
    // OK, then the call's end: the dialog's result (0 while it stays open).
    static int Submit(CDlgAutoSend& d) {
        Click(d, "1");
        EXPECT_TRUE(WaitUntil([&] { return !d.IsBusy(); }, kCallBound));
        return d.result();
    }
    // sendInfo (sendID order): timingTime|count|isFail|sendType.
    static std::vector<std::string> Jobs() {
        return QueryRows(g_pDB, "SELECT timingTime,count,isFail,sendType FROM sendInfo ORDER BY sendID");
    }
    static std::vector<std::string> Statuses() {
        return QueryRows(g_pDB, "SELECT DISTINCT IFNULL(status,'<null>') FROM sendNums");
    }
    // The times the confirmation listed.
    QStringList Confirmed() const {
        for (const MessageBoxRequest& box : m_boxes->shown()) {
            const QString text = box.text;
            if (text.startsWith(LoadStr(169))) {
                QString times = text.mid(LoadStr(169).size() + 1);
                times.chop(QStringLiteral("\r\n\r\n ").size() + LoadStr(170).size());
                return times.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            }
        }
        return {};
    }
};

// What the OK button refuses, and what it lets through.
TEST_F(AutoSend, InputIsCheckedBeforeAnythingIsSent) {
    struct Case {
        const char* what;
        QString days;
        QString content;
        QString shownDays; // what the box holds after typing
        int message;       // string number of the refusal; 0: accepted
    };
    const Case cases[] = {
        {"31 days", "31", "生日快乐", "31", 166},
        {"30 days", "30", "生日快乐", "30", 0},
        {"a minus sign is not typed", "-1", "生日快乐", "1", 0},
        {"an empty box counts 0", "", "生日快乐", "", 0},
        {"blank content", "0", "   ", "0", 151},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_boxes->clear();
        m_main->clear();
        Input in;
        in.days = c.days;
        in.content = c.content;
        auto d = Open(in);
        EXPECT_EQ(Child<QLineEdit>(*d, "21015")->text(), c.shownDays);
        const int result = Submit(*d);
        if (c.message) {
            EXPECT_EQ(result, kStayedOpen);
            EXPECT_TRUE(d->isVisible());
            EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(c.message)});
            EXPECT_TRUE(m_main->calls().empty());
            EXPECT_TRUE(Jobs().empty());
        } else {
            EXPECT_EQ(result, CDlgAutoSend::kSubmitted);
            EXPECT_EQ(m_main->calls("gxmt").size(), 1u);
        }
    }
}

// The times the dialog works out, confirmed by the user, are the items of
// the one call and the jobs of the records.
TEST_F(AutoSend, TheConfirmedTimesAreSentAndRecorded) {
    struct Case {
        const char* what;
        Input in;
        const char* now;
        QStringList times; // empty: message 168, nothing sent
    };
    auto input = [](const char* date, int years, QTime time = QTime(9, 0)) {
        Input in;
        in.date = QString::fromLatin1(date);
        in.years = years;
        in.time = time;
        return in;
    };
    const Case cases[] = {
        {"29 February, 4 years in 2025",
         input("1992-02-29", 4),
         "2025-01-10 08:00:00",
         {"2028-02-29 09:00:00"}},
        {"29 February, 3 years in 2025", input("1992-02-29", 3), "2025-01-10 08:00:00", {}},
        {"a birthday later today at a past time",
         input("1990-06-15", 3, QTime(8, 30)),
         "2025-06-15 10:00:00",
         {"2026-06-15 08:30:00", "2027-06-15 08:30:00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        m_boxes->clear();
        m_main->clear();
        auto d = Open(c.in, c.now);
        const int result = Submit(*d);
        if (c.times.isEmpty()) {
            EXPECT_EQ(result, kStayedOpen);
            EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(168)});
            EXPECT_TRUE(m_main->calls().empty());
            EXPECT_TRUE(Jobs().empty());
            continue;
        }
        EXPECT_EQ(result, CDlgAutoSend::kSubmitted);
        EXPECT_EQ(Confirmed(), c.times);
        const auto calls = m_main->calls("gxmt");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(QString::fromStdString(calls[0].field("stime").value_or("")), c.times.join(','));
        std::vector<std::string> jobs;
        for (const QString& t : c.times)
            jobs.push_back(t.toStdString() + "|1|0|1");
        EXPECT_EQ(Jobs(), jobs);
    }
}

// Ten years at once: one call of ten aligned items, ten jobs under
// consecutive ids, each with its number; a text with "'" and "," stays
// whole in the records and one item on the wire.
TEST_F(AutoSend, TenYearsAreOneCallAndTenJobs) {
    Input in;
    in.years = 10;
    in.content = QStringLiteral("It's your day, 王五");
    auto d = Open(in);
    ASSERT_EQ(Submit(*d), CDlgAutoSend::kSubmitted);
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    const QStringList numbers = QString::fromStdString(calls[0].field("mobile").value_or("")).split(',');
    const QStringList contents = QString::fromStdString(calls[0].field("content").value_or("")).split(',');
    const QStringList times = QString::fromStdString(calls[0].field("stime").value_or("")).split(',');
    EXPECT_EQ(numbers, QStringList(10, QStringLiteral("13800000001")));
    EXPECT_EQ(contents, QStringList(10, GxmtContent(in.content)));
    ASSERT_EQ(times.size(), 10);
    EXPECT_EQ(times.front(), "2025-06-15 09:00:00");
    EXPECT_EQ(times.back(), "2034-06-15 09:00:00");

    EXPECT_EQ(QueryRows(g_pDB, "SELECT COUNT(*),MAX(sendID)-MIN(sendID),COUNT(DISTINCT content),MIN(content) "
                               "FROM sendInfo"),
              std::vector<std::string>{"10|9|1|" + in.content.toStdString()});
    EXPECT_EQ(QueryRows(g_pDB, "SELECT COUNT(*) FROM sendNums n JOIN sendInfo i ON i.sendID=n.sendID "
                               "WHERE n.numOrMailAddr='13800000001' GROUP BY n.sendID HAVING COUNT(*)<>1"),
              std::vector<std::string>{});
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendNums"), 10);
}

// The service's answer decides the result, the records and what the user
// is told.
TEST_F(AutoSend, TheAnswerDecidesResultRecordsAndMessage) {
    struct Case {
        const char* what;
        std::optional<LoopbackAnswer> answer; // none: a raw peer closing after the request
        int result;
        const char* isFail;
        const char* status;
        QStringList told;
    };
    const Case cases[] = {
        {"accepted", LoopbackAnswer::Text("0"), CDlgAutoSend::kSubmitted, "0", "<null>", {}},
        {"refused", LoopbackAnswer::Text("-4"), CDlgAutoSend::kRefused, "1", "<null>", {kRefused}},
        {"no answer", std::nullopt, CDlgAutoSend::kSubmitted, "0", "未知", {kUnknown}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        RawHttpPeer peer;
        peer.setReply({});
        if (c.answer)
            m_main->scriptOnce("gxmt", *c.answer);
        else
            SetServiceUrl(peer.url());
        Input in;
        in.years = 2;
        auto d = Open(in);
        m_boxes->clear();
        EXPECT_EQ(Submit(*d), c.result);
        EXPECT_FALSE(d->isVisible());
        QStringList told = m_boxes->texts();
        told.removeFirst(); // the confirmation
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(QueryRows(g_pDB, "SELECT DISTINCT isFail FROM sendInfo"),
                  std::vector<std::string>{c.isFail});
        EXPECT_EQ(Statuses(), std::vector<std::string>{c.status});
        EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 2);
        if (!c.answer) {
            EXPECT_EQ(peer.requests().size(), 1u);
        }
        SetServiceUrl(std::string());
    }
}

// The contact editor's switch stays ticked only when the greetings went out
// (or may have); a refusal unticks it.
TEST_F(AutoSend, TheEditorsSwitchFollowsTheOutcome) {
    for (const bool accepted : {true, false}) {
        SCOPED_TRACE(accepted ? "accepted" : "refused");
        m_main->scriptOnce("gxmt", LoopbackAnswer::Text(accepted ? "0" : "-4"));
        SetModalRunner([](QDialog& dialog) {
            auto* autoSend = qobject_cast<CDlgAutoSend*>(&dialog);
            if (!autoSend)
                return int(IDCANCEL);
            Prepare(*autoSend, Input(), "2025-01-10 08:00:00");
            autoSend->show();
            return Submit(*autoSend);
        });
        CDlgContactInfo editor;
        Fill(editor, {{"1006", QStringLiteral("13800000001")}});
        Child<OptionalDateEdit>(editor, "21008")->pickDate(QDate(1990, 6, 15));
        Click(editor, "31007");
        EXPECT_EQ(Child<QCheckBox>(editor, "31007")->isChecked(), accepted);
    }
    EXPECT_EQ(m_main->calls("gxmt").size(), 2u);
}

// Declining a question writes and sends nothing.
TEST_F(AutoSend, NoToAQuestionSendsNothing) {
    struct Case {
        const char* what;
        const char* now;
    };
    const Case cases[] = {
        {"the confirmation", "2025-01-10 08:00:00"},
        {"a first time within 5 minutes", "2025-06-15 08:57:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_boxes->clear();
        m_boxes->queueAnswer(IDNO);
        auto d = Open(Input(), c.now);
        EXPECT_EQ(Submit(*d), kStayedOpen);
        EXPECT_EQ(m_boxes->texts().size(), 1);
        EXPECT_TRUE(m_main->calls().empty());
        EXPECT_TRUE(Jobs().empty());
    }
}

// A pending write that fails stops everything before the call.
TEST_F(AutoSend, FailedPendingWriteSendsNothing) {
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse AFTER INSERT ON sendNums BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    auto d = Open(Input());
    m_boxes->clear();
    EXPECT_EQ(Submit(*d), kStayedOpen);
    ASSERT_EQ(m_boxes->texts().size(), 2);
    EXPECT_EQ(m_boxes->texts().back(), kWriteFailed);
    EXPECT_TRUE(m_main->calls().empty());
    EXPECT_TRUE(Jobs().empty());
    EXPECT_TRUE(d->isVisible());
}

// While the call is out the window stays responsive but cannot be left, and
// once answered the submission is never made again.
TEST_F(AutoSend, TheCallRunsOffTheWindowAndOnlyOnce) {
    m_main->script("gxmt", LoopbackAnswer::Held(LoopbackAnswer::Text("0")));
    auto d = Open(Input());
    Click(*d, "1");
    ASSERT_TRUE(m_main->waitForHeld());
    EXPECT_TRUE(d->IsBusy());
    EXPECT_FALSE(Child<QPushButton>(*d, "1")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(*d, "2")->isEnabled());
    EXPECT_EQ(Statuses(), std::vector<std::string>{"未知"});
    bool ticked = false;
    QTimer::singleShot(0, [&] { ticked = true; });
    EXPECT_TRUE(WaitUntil([&] { return ticked; })) << "the GUI thread goes on while the call waits";
    d->close();
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(d.get(), &esc);
    d->reject();
    EXPECT_TRUE(d->isVisible());
    m_main->release();
    ASSERT_TRUE(WaitUntil([&] { return !d->IsBusy(); }, kCallBound));
    EXPECT_EQ(d->result(), CDlgAutoSend::kSubmitted);
    d->OnOK();
    EXPECT_EQ(m_main->calls("gxmt").size(), 1u);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM sendInfo"), 3);
}

// Every text of the window has its English.
TEST_F(AutoSend, ShowsItsTextsInEnglish) {
    struct Restore {
        ~Restore() { SetUiLanguage(kLangChinese); }
    } restore;
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    for (const int kind : {0, 1}) {
        CDlgAutoSend d;
        d.SetKind(kind);
        EXPECT_EQ(d.windowTitle(), kind ? "Send a special-date message" : "Send a birthday message");
        for (const QString& text : ShownTexts(d))
            EXPECT_FALSE(HasChinese(text)) << text.toStdString();
    }
}

class AutoSendScreenshots : public AutoSend {};

TEST_F(AutoSendScreenshots, Birthday) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    auto d = Open(Input());
    QCoreApplication::processEvents();
    ASSERT_TRUE(d->grab().save(QDir(dir).filePath(QStringLiteral("auto-send.png"))));
}

} // namespace
