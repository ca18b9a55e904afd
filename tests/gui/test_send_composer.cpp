// The SMS composer driven as a user would, against the loopback messaging
// service: the list, the counters, the modes and a send to the end.
#include "contacts/address_list.h"
#include "contacts/contact_record.h"
#include "contacts/contact_selection.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/net_messages.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "core/virtual_list.h"
#include "gui/contacts/contact_base_page.h"
#include "gui/contacts/contact_info_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/main/app_control.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "service/service_state.h"
#include "tests/support/contact_generator.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

constexpr auto kSendBound = std::chrono::milliseconds(TimeBoundMs(15000));

// A service answer the test lets go when it chooses.
class HeldAnswer {
public:
    void hold(LoopbackMessagingService& service, const std::string& operation, std::string answer) {
        service.setAnswerer(
            [this, operation, answer](const LoopbackCall& call) -> std::optional<LoopbackAnswer> {
                if (call.operation != operation)
                    return std::nullopt;
                std::unique_lock lock(m_mutex);
                m_arrived = true;
                m_cv.wait_for(lock, std::chrono::seconds(30), [this] { return m_released; });
                return LoopbackAnswer::Text(answer);
            });
    }
    bool arrived() {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_cv.notify_all();
    }
    ~HeldAnswer() { release(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_arrived = false;
    bool m_released = false;
};

class SendComposer : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        m_savedTitle = g_strAppTitle;
        m_savedCustomize = g_nCustomize;
        g_strAppTitle = QStringLiteral("Corvelane");
        g_pAccount.setField(kAccountSignature, QStringLiteral("测试公司"));
        LoginAs(QStringLiteral("AD"), false);
    }
    void TearDown() override {
        m_dialog.reset();
        SetModalRunner({});
        g_pLoginRights.reset();
        g_strAccountIni = m_savedIni;
        g_strAppTitle = m_savedTitle;
        g_nCustomize = m_savedCustomize;
        ServiceTest::TearDown();
    }

    // An administrator, or an operator with or without right 16.
    static void LoginAs(const QString& account, bool right16) {
        auto rights = std::make_unique<QStringList>();
        *rights << account;
        for (int i = 1; i <= 20; ++i)
            *rights << (i == 16 && !right16 ? QStringLiteral("0") : QStringLiteral("1"));
        g_pLoginRights = std::move(rights);
    }

    // Builds the composer, lets the opener's setter run, shows it and waits
    // until the recipients handed in are listed.
    CDlgSendSMS& Open(const std::function<void(CDlgSendSMS&)>& setup = {}, int listFlag = 1) {
        m_dialog = std::make_unique<CDlgSendSMS>(nullptr, listFlag);
        if (setup)
            setup(*m_dialog);
        m_dialog->show();
        EXPECT_TRUE(WaitUntil([&] { return !m_dialog->IntakeRunning(); }));
        // Timer 1 hands the numbers over 50 ms after opening.
        QTest_Wait(120);
        EXPECT_TRUE(WaitUntil([&] { return !m_dialog->IntakeRunning(); }));
        return *m_dialog;
    }
    static void QTest_Wait(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    static QStringList Triples(std::initializer_list<std::tuple<const char*, const char*, int>> rows) {
        QStringList out;
        for (const auto& [number, name, id] : rows)
            out << QString::fromUtf8(number) << QString::fromUtf8(name) << QString::number(id);
        return out;
    }
    void SetContent(const QString& text) { Child<QTextEdit>(*m_dialog, "21021")->setPlainText(text); }
    QString Label(const char* id) { return Child<QLabel>(*m_dialog, id)->text(); }
    // Sends now and waits for the end of the submission.
    bool SendNowAndWait() {
        bool finished = false;
        bool allSent = false;
        auto c = QObject::connect(m_dialog.get(), &CDlgSendSMS::sendFinished, [&](bool sent) {
            finished = true;
            allSent = sent;
        });
        m_dialog->OnSendNow();
        EXPECT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
        QObject::disconnect(c);
        return allSent;
    }
    static qint64 Scalar(const char* sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }

    std::unique_ptr<CDlgSendSMS> m_dialog;
    QString m_savedIni;
    QString m_savedTitle;
    int m_savedCustomize = 0;
};

TEST_F(SendComposer, PrefillOfMoreThanSeventyCharactersOpensAsLongSms) {
    const QString text(71, QChar(0x4F60));
    CDlgSendSMS& d = Open([&](CDlgSendSMS& dialog) { dialog.SetPrefillContent(text); });
    EXPECT_TRUE(Child<QCheckBox>(d, "1006")->isChecked());
    EXPECT_EQ(Child<QTextEdit>(d, "21021")->toPlainText(), text);
    // A long SMS of 71 wide characters is charged ceil(71 / 67) per number.
    EXPECT_EQ(Label("1020"), "71");
    EXPECT_EQ(Label("1021"), "2");
    EXPECT_EQ(Label("1032"), "24");
}

TEST_F(SendComposer, AddInNumbersAndContentArriveOnTheFirstTimer) {
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumbersAndContent(
            {"13800138000", " 13900139000 ", "138-0013-8000", "13800138000", "0085212345678"},
            QStringLiteral("您好"));
    });
    // Refused and repeated numbers are left out; the international one is counted 12 times.
    ASSERT_EQ(d.NumberList().GetCount(), 3);
    EXPECT_EQ(d.CellText(0, 0), "13800138000");
    EXPECT_EQ(d.CellText(2, 0), "0085212345678");
    EXPECT_EQ(Label("countLine"), "号码列表 共 3 条记录");
    EXPECT_EQ(Child<QTextEdit>(d, "21021")->toPlainText(), "您好");
    EXPECT_EQ(Label("1037"), "14 条");
}

TEST_F(SendComposer, MaskingIsForDisplayOnly) {
    struct Case {
        const char* account;
        bool right16;
        int listFlag;
        bool personalized;
        const char* shown;
    };
    const Case cases[] = {
        {"OP", true, 1, false, "138****5678"},
        {"OP", false, 1, false, "13812345678"},
        {"AD", true, 1, false, "13812345678"},
        // Personalised texts are built from whole numbers: shown whole.
        {"OP", true, 0, true, "13812345678"},
    };
    for (const Case& c : cases) {
        LoginAs(QString::fromLatin1(c.account), c.right16);
        CDlgSendSMS& d = Open(
            [&](CDlgSendSMS& dialog) {
                dialog.SetPersonalizedMode(c.personalized);
                dialog.SetNumberTriples(Triples({{"13812345678", "", 0}}));
            },
            c.listFlag);
        ASSERT_EQ(d.NumberList().GetCount(), 1);
        EXPECT_EQ(d.CellText(0, 0), c.shown) << c.account << c.right16 << c.personalized;
        // A nameless row shows its number in the name column, masked alike.
        EXPECT_EQ(d.CellText(0, 1), c.shown);
    }

    // "保存联系人" gets the real number, whatever the list shows.
    LoginAs(QStringLiteral("OP"), true);
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13812345678", "张三", 5}, {"13900001111", "", 0}}));
    });
    QString editorNumber;
    int editors = 0;
    SetModalRunner([&](QDialog& dialog) {
        if (auto* editor = qobject_cast<CDlgContactInfo*>(&dialog)) {
            ++editors;
            editorNumber = editor->BasePage()->MobileToSave();
        }
        return int(IDCANCEL);
    });
    d.OnListMenuCommand(10003);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(179)});
    EXPECT_EQ(editors, 0);
    d.List()->selectRow(0);
    d.OnListMenuCommand(10003);
    EXPECT_EQ(editors, 1);
    EXPECT_EQ(editorNumber, "13812345678");
}

TEST_F(SendComposer, PersonalisedHandOverKeepsEachNumbersContactAfterARemoval) {
    std::vector<PersonalizedRecipient> handed;
    QString handedText;
    int calls = 0;
    CDlgSendSMS& d = Open(
        [&](CDlgSendSMS& dialog) {
            dialog.SetPersonalizedMode(true);
            dialog.SetNumberTriples(
                Triples({{"13800000001", "甲", 11}, {"13800000002", "乙", 22}, {"01012345678", "丙", 33}}));
            dialog.SetPersonalizedHandOver(
                [&](const std::vector<PersonalizedRecipient>& r, const QString& text) {
                    ++calls;
                    handed = r;
                    handedText = text;
                });
        },
        0);
    EXPECT_EQ(Child<QPushButton>(d, "1018")->text(), "确定(&O)");
    EXPECT_EQ(Child<QPushButton>(d, "1019")->text(), "取消(&C)");
    EXPECT_FALSE(Child<QPushButton>(d, "1003")->isEnabled());
    EXPECT_TRUE(Child<QCheckBox>(d, "1006")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(d, "1006")->isEnabled());

    d.List()->selectRow(1);
    d.OnListMenuCommand(10001);
    ASSERT_EQ(d.NumberList().GetCount(), 2);
    SetContent(QStringLiteral("<%姓名%>您好"));
    d.OnTimingSend();
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_EQ(handed[0].number, "13800000001");
    EXPECT_EQ(handed[0].contactId, 11);
    // Sent whole, with the contact that came with it.
    EXPECT_EQ(handed[1].number, "01012345678");
    EXPECT_EQ(handed[1].contactId, 33);
    EXPECT_EQ(handedText, "<%姓名%>您好");
    EXPECT_EQ(d.result(), 1003);
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendComposer, SurveyWindowMustLieFromTwentyToTenThousandMinutes) {
    struct Case {
        const char* minutes;
        bool accepted;
    };
    const Case cases[] = {{"19", false}, {"10001", false}, {"", false}, {"20", true}, {"10000", true}};
    for (const Case& c : cases) {
        CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
            dialog.SetSurveyMode(true);
            dialog.SetNumberTriples(Triples({{"13800000001", "", 0}}));
        });
        EXPECT_EQ(d.windowTitle(), "发送短信调查");
        EXPECT_EQ(Child<QLineEdit>(d, "21015")->text(), "(请回复Y或N)");
        SetContent(QStringLiteral("满意吗"));
        Child<QLineEdit>(d, "1004")->setText(QString::fromLatin1(c.minutes));
        m_boxes->clear();
        // An accepted window reaches the confirmation, which says no here.
        m_boxes->queueAnswer(IDNO);
        d.OnSendNow();
        const QStringList expected = c.accepted
                                         ? QStringList{LoadStr(276)}
                                         : QStringList{QStringLiteral("有效分钟数只能在20-10000之间.")};
        EXPECT_EQ(m_boxes->texts(), expected) << c.minutes;
        EXPECT_FALSE(d.IsBusy());
    }
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendComposer, ChannelTestSendsItsOwnTextToAtMostTwentyNumbers) {
    QStringList many;
    for (int i = 0; i < 21; ++i)
        many << QStringLiteral("138000000%1").arg(i, 2, 10, QLatin1Char('0')) << QString()
             << QStringLiteral("0");
    CDlgSendSMS& d = Open([&](CDlgSendSMS& dialog) {
        dialog.SetPrefillContent(QStringLiteral("正式内容"));
        dialog.SetNumberTriples(many);
    });
    ASSERT_EQ(d.NumberList().GetCount(), 21);
    Child<QCheckBox>(d, "1027")->setChecked(true);
    d.OnChannelTest();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("号码列表条数不能超过20.")});
    EXPECT_FALSE(Child<QCheckBox>(d, "1027")->isChecked());
    EXPECT_FALSE(Child<QCheckBox>(d, "1006")->isChecked());

    d.List()->selectRow(20);
    d.OnListMenuCommand(10001);
    ASSERT_EQ(d.NumberList().GetCount(), 20);
    m_boxes->clear();
    bool finished = false;
    QObject::connect(&d, &CDlgSendSMS::sendFinished, [&] { finished = true; });
    d.OnChannelTest();
    ASSERT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
    const auto calls = m_main->calls("qxSmsSend");
    ASSERT_FALSE(calls.empty());
    QString sent;
    for (const LoopbackCall& call : calls)
        sent += QString::fromStdString(call.field("content").value_or(""));
    // The test text, not the content box's, with the signature once.
    EXPECT_TRUE(sent.contains(QStringLiteral("本条短信为测试通道短信"))) << sent.toStdString();
    EXPECT_FALSE(sent.contains(QStringLiteral("正式内容")));
    EXPECT_EQ(sent.count(QStringLiteral("【测试公司】")), 1);
    EXPECT_EQ(calls.front().field("mobile").value_or("").size(), 20u * 11 + 19);
}

TEST_F(SendComposer, SendNowRecordsTheBatchAndEmptiesTheComposer) {
    m_main->script("qxSmsSend", LoopbackAnswer::Text("778899"));
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", "张三", 7}, {"01012345678", "", 0}}));
    });
    SetContent(QStringLiteral("明天开会"));
    Child<QCheckBox>(d, "1027")->setChecked(true);
    d.RecountContent();
    EXPECT_EQ(Child<QTextEdit>(d, "21023")->toPlainText(), "明天开会【测试公司】");
    m_boxes->clear();
    EXPECT_TRUE(SendNowAndWait());
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(276), LoadStr(280)}));

    const auto calls = m_main->calls("qxSmsSend");
    ASSERT_EQ(calls.size(), 1u);
    // The landline goes out whole, through the domestic operation.
    EXPECT_EQ(calls[0].field("mobile"), "13800138000,01012345678");
    EXPECT_EQ(calls[0].field("content"), "明天开会【测试公司】");
    EXPECT_TRUE(m_backup->calls("qxSmsSend_g").empty());

    SqlStatement info(g_pDB, "SELECT sendID,content,count,isFail,isDraft,sendType FROM sendInfo");
    ASSERT_EQ(info.step(), SQLITE_ROW);
    const qint64 id = info.int64(0);
    EXPECT_EQ(info.qtext(1), "明天开会【测试公司】");
    EXPECT_EQ(info.int64(2), 2);
    EXPECT_EQ(info.int64(3), 0);
    EXPECT_EQ(info.int64(4), 0);
    EXPECT_EQ(info.int64(5), 1);
    EXPECT_NE(info.step(), SQLITE_ROW);
    SqlStatement nums(g_pDB, "SELECT sendID,numOrMailAddr,name,rrid,status FROM sendNums ORDER BY rowid");
    const std::pair<const char*, const char*> rows[] = {{"13800138000", "张三"}, {"01012345678", ""}};
    for (const auto& [number, name] : rows) {
        ASSERT_EQ(nums.step(), SQLITE_ROW);
        EXPECT_EQ(nums.int64(0), id);
        EXPECT_EQ(nums.qtext(1), number);
        EXPECT_EQ(nums.qtext(2), QString::fromUtf8(name));
        EXPECT_EQ(nums.qtext(3), "778899");
        EXPECT_TRUE(nums.isNull(4));
    }
    EXPECT_NE(nums.step(), SQLITE_ROW);

    // Ready for the next message.
    EXPECT_EQ(d.NumberList().GetCount(), 0);
    EXPECT_TRUE(Child<QTextEdit>(d, "21021")->toPlainText().isEmpty());
    EXPECT_EQ(Label("countLine"), "号码列表 共 0 条记录");
    EXPECT_TRUE(Child<QPushButton>(d, "1019")->isEnabled());
}

TEST_F(SendComposer, WhileAnAnswerIsHeldTheWindowLivesAndCannotBeClosed) {
    HeldAnswer held;
    held.hold(*m_main, "qxSmsSend", "4455");
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", "", 0}}));
        dialog.SetPrefillContent(QStringLiteral("通知"));
    });
    bool finished = false;
    QObject::connect(&d, &CDlgSendSMS::sendFinished, [&] { finished = true; });
    d.OnSendNow();
    ASSERT_TRUE(WaitUntil([&] { return held.arrived(); }, kSendBound));
    ASSERT_TRUE(d.IsBusy());
    for (const char* id : {"1017", "1018", "1019", "1015"})
        EXPECT_FALSE(Child<QPushButton>(d, id)->isEnabled()) << id;
    EXPECT_FALSE(Child<QCheckBox>(d, "21014")->isEnabled());
    EXPECT_FALSE(Child<QCheckBox>(d, "41013")->isEnabled());

    // Cancel, Esc and the close box are all refused while the batch is out.
    d.reject();
    SendKey(&d, Qt::Key_Escape);
    d.close();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), kStayedOpen);

    // The window's own timers still run, and a box one of them opens (a
    // nested event loop) does not hold back the outcome.
    bool timerFired = false;
    bool writtenInsideTheBox = false;
    QTimer::singleShot(10, [&] {
        timerFired = true;
        held.release();
        QEventLoop box;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Scalar("SELECT COUNT(*) FROM sendNums WHERE rrid='4455' AND status IS NULL") == 1) {
                writtenInsideTheBox = true;
                box.quit();
            }
        });
        poll.start(5);
        QTimer::singleShot(TimeBoundMs(10000), &box, &QEventLoop::quit);
        box.exec();
    });
    ASSERT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
    EXPECT_TRUE(timerFired);
    EXPECT_TRUE(writtenInsideTheBox);

    // Idle again: closing an emptied composer asks nothing.
    m_boxes->clear();
    d.reject();
    EXPECT_EQ(d.result(), int(IDCANCEL));
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(SendComposer, QuitWhileSendingFinishesTheBatchOnTheWireAndRecordsTheRestAsFailed) {
    // One number per batch: the quit arrives while batch 1 is held.
    g_sysSettings.assign(10, SYSSETTING{});
    g_sysSettings[8].flag = 1;
    g_sysSettings[8].text = QStringLiteral("1");
    HeldAnswer held;
    held.hold(*m_main, "qxSmsSend", "4455");
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", "", 0}, {"13800138001", "", 0}, {"13800138002", "", 0}}));
        dialog.SetPrefillContent(QStringLiteral("通知"));
    });
    d.OnSendNow();
    ASSERT_TRUE(WaitUntil([&] { return held.arrived(); }, kSendBound));
    m_boxes->clear();

    RequestQuit();
    EXPECT_TRUE(d.isVisible()) << "a quit must not drop the batch on the wire";
    held.release();
    EXPECT_TRUE(WaitUntil([&] { return !d.isVisible(); }, kSendBound));
    ClearQuitRequest();
    g_sysSettings.clear();

    EXPECT_EQ(d.result(), int(IDCANCEL));
    EXPECT_TRUE(m_boxes->texts().isEmpty()) << m_boxes->texts().join(u'|').toStdString();
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sendNums n JOIN sendInfo i USING(sendID) "
                     "WHERE i.isFail=0 AND n.rrid='4455' AND n.status IS NULL"),
              1);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sendNums n JOIN sendInfo i USING(sendID) WHERE i.isFail=1"), 2);
}

TEST_F(SendComposer, VoiceFollowUpRecordsAVoiceSend) {
    struct Case {
        int length;
        bool asked;
    };
    // Only a text of at most 300 characters may follow as voice.
    for (const Case c : {Case{300, true}, Case{301, false}}) {
        m_main->clear();
        m_main->script("qxSmsSend", LoopbackAnswer::Text("5151"));
        m_main->script("qxAudioSend", LoopbackAnswer::Text("10001"));
        ExecSql(nullptr, g_pDB, "DELETE FROM sendInfo; DELETE FROM sendNums;");
        CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
            dialog.SetNumberTriples(Triples({{"13800138000", "张三", 7}, {"13900139000", "", 0}}));
        });
        SetContent(QString(c.length, QLatin1Char('a')));
        Child<QCheckBox>(d, "41013")->setChecked(true);
        m_boxes->clear();
        EXPECT_TRUE(SendNowAndWait());
        const QStringList boxes = m_boxes->texts();
        EXPECT_EQ(boxes.contains(QStringLiteral("是否再以语音方式发送?")), c.asked) << c.length;
        EXPECT_EQ(m_main->calls("qxAudioSend").size(), c.asked ? 1u : 0u);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sendInfo WHERE sendType=5"), c.asked ? 1 : 0);
        if (!c.asked)
            continue;
        EXPECT_EQ(boxes.last(), QStringLiteral("语音发送成功"));
        EXPECT_EQ(m_main->calls("qxAudioSend")[0].field("mobile"), "13800138000,13900139000");
        EXPECT_EQ(Scalar("SELECT count FROM sendInfo WHERE sendType=5"), 6);
        EXPECT_EQ(Scalar("SELECT isFail FROM sendInfo WHERE sendType=5"), 0);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sendNums JOIN sendInfo USING(sendID) WHERE sendType=5"), 2);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM attachmentContent"), 1);
        // The SMS itself is recorded as before: a long SMS of 300 characters
        // is charged ceil(300 / 67) per number.
        EXPECT_EQ(Scalar("SELECT count FROM sendInfo WHERE sendType=1"), 10);
    }
}

TEST_F(SendComposer, BalanceAnswerOrFailure) {
    struct Case {
        LoopbackPage page;
        QString shown;
        unsigned icon;
    };
    const Case cases[] = {{{200, "100.5"}, QStringLiteral("100.5"), mb::IconInformation},
                          {{500, "boom"}, LoadStr(265), mb::IconWarning}};
    CDlgSendSMS& d = Open();
    for (const Case& c : cases) {
        m_backup->scriptPage("/GetBalance.ashx", c.page);
        m_boxes->clear();
        Click(d, "21010");
        ASSERT_TRUE(WaitUntil([&] { return !m_boxes->shown().empty(); }, kSendBound));
        EXPECT_EQ(m_boxes->texts(), QStringList{c.shown});
        EXPECT_EQ(m_boxes->shown().front().type & mb::IconMask, c.icon);
        // The query's worker is free again before the next one.
        QTest_Wait(200);
    }
}

TEST_F(SendComposer, ChargeMarkIsAskedForWhereStatisticsAreKept) {
    g_nCustomize = 1;
    {
        CDlgSendSMS& d = Open(
            [](CDlgSendSMS& dialog) {
                dialog.SetPersonalizedMode(true);
                dialog.SetNumberTriples(Triples({{"13800000001", "", 0}}));
            },
            0);
        EXPECT_FALSE(Child<QLineEdit>(d, "1165")->isVisibleTo(&d));
    }
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800000001", "", 0}}));
        dialog.SetPrefillContent(QStringLiteral("你好"));
    });
    EXPECT_TRUE(Child<QLineEdit>(d, "1165")->isVisibleTo(&d));
    m_boxes->clear();
    d.OnSendNow();
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(276), QStringLiteral("请输入短信归属！")}));
    EXPECT_FALSE(d.IsBusy());
    EXPECT_EQ(d.NumberList().GetCount(), 1);
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(SendComposer, TimedSendPassesTheChosenMinute) {
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800138000", "", 0}}));
        dialog.SetPrefillContent(QStringLiteral("定时问候"));
    });
    const QDateTime when = QDateTime::currentDateTime().addDays(2);
    QString chosen;
    bool finished = false;
    QObject::connect(&d, &CDlgSendSMS::sendFinished, [&] { finished = true; });
    SetModalRunner([&](QDialog& dialog) {
        auto* picker = qobject_cast<CDlgMSGTimeSend*>(&dialog);
        if (!picker)
            return int(IDCANCEL);
        picker->SetPickedTime(when);
        picker->OnOK();
        chosen = picker->ChosenTime();
        return picker->result();
    });
    d.OnTimingSend();
    ASSERT_TRUE(WaitUntil([&] { return finished; }, kSendBound));
    ASSERT_FALSE(chosen.isEmpty());
    const auto calls = m_main->calls("qxSmsSend");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(QString::fromStdString(calls[0].field("stime").value_or("")), chosen);
    SqlStatement info(g_pDB, "SELECT timingTime FROM sendInfo");
    ASSERT_EQ(info.step(), SQLITE_ROW);
    EXPECT_EQ(info.qtext(0), chosen);

    // Cancelling the picker sends nothing.
    SetModalRunner([](QDialog&) { return int(IDCANCEL); });
    SetContent(QStringLiteral("再来"));
    const qint64 key = 13800138001LL;
    d.NumberList().SetItem(0, &key, nullptr);
    d.OnTimingSend();
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u);
    EXPECT_FALSE(d.IsBusy());
}

TEST_F(SendComposer, PreviewShowsTheNumberedPartsButTheComposedTextIsSent) {
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) { dialog.SetNumberTriples(Triples({{"13800138000", "", 0}})); });
    Child<QCheckBox>(d, "1006")->click(); // "长短信" off: the text is split
    const QString text(100, QChar(0x4E00));
    SetContent(text);
    const QString preview = Child<QTextEdit>(d, "21023")->toPlainText();
    EXPECT_TRUE(preview.startsWith(QStringLiteral("[1/2]"))) << preview.toStdString();
    EXPECT_TRUE(preview.contains(QStringLiteral("\n[2/2]"))) << preview.toStdString();
    ASSERT_TRUE(d.CheckSendInput());
    EXPECT_EQ(d.FinalText(), text);
    EXPECT_EQ(d.ContentParts().size(), 2);
}

TEST_F(SendComposer, ClosingAnEditedComposerAsksFirst) {
    CDlgSendSMS& d = Open();
    SetContent(QStringLiteral("草稿"));
    m_boxes->queueAnswer(IDNO);
    d.reject();
    EXPECT_EQ(d.result(), kStayedOpen);
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("确定退出?")});
    m_boxes->queueAnswer(IDYES);
    d.reject();
    EXPECT_EQ(d.result(), int(IDCANCEL));

    // A quit of the program closes an edited composer without a question.
    CDlgSendSMS& again = Open();
    SetContent(QStringLiteral("草稿"));
    m_boxes->clear();
    RequestQuit();
    ClearQuitRequest();
    EXPECT_FALSE(again.isVisible());
    EXPECT_TRUE(m_boxes->texts().isEmpty());
}

TEST_F(SendComposer, TickedContactsComeInSlicesAndSendingWaits) {
    GenerateContacts(45000, 1);
    ContactSelection ticked(QStringLiteral("SELECT name FROM ContactList ORDER BY rowid"));
    ticked.TickAll();
    m_dialog = std::make_unique<CDlgSendSMS>(nullptr, 1);
    m_dialog->SetRecipientSource(&ticked);
    std::vector<int> counts;
    bool sendRefusedMeanwhile = false;
    QObject::connect(m_dialog.get(), &CDlgSendSMS::intakeProgress, [&](int rows, bool done) {
        counts.push_back(rows);
        if (!done && !Child<QPushButton>(*m_dialog, "1019")->isEnabled())
            sendRefusedMeanwhile = true;
    });
    m_dialog->show();
    ASSERT_TRUE(WaitUntil([&] { return !counts.empty() && !m_dialog->IntakeRunning(); }, kSendBound));
    // More than one slice, each adding to the count.
    ASSERT_GE(counts.size(), 2u);
    EXPECT_LT(counts.front(), counts.back());
    EXPECT_TRUE(sendRefusedMeanwhile);
    EXPECT_TRUE(Child<QPushButton>(*m_dialog, "1019")->isEnabled());
    // Every seventh generated row repeats a number: each is listed once.
    const qint64 distinct = Scalar("SELECT COUNT(DISTINCT mobileNum) FROM ContactList");
    EXPECT_EQ(m_dialog->NumberList().GetCount(), distinct);
    EXPECT_EQ(Label("countLine"), QStringLiteral("号码列表 共 %1 条记录").arg(distinct));
}

TEST_F(SendComposer, TextFileImport) {
    m_folder->writeFile("numbers.txt", "13800000001\r\n13800000002,138000000013\n\x01\x02 01012345678");
    CDlgSendSMS& d = Open();
    SetNextFileName(m_folder->file("missing.txt"));
    d.OnImportText();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("打开文件失败")});
    EXPECT_EQ(d.NumberList().GetCount(), 0);

    SetNextFileName(m_folder->file("numbers.txt"));
    d.OnImportText();
    ASSERT_TRUE(WaitUntil([&] { return !d.IntakeRunning(); }));
    // 12 digits are one number, taken whole; the noise between runs is skipped.
    EXPECT_EQ(d.NumberList().GetCount(), 4);
    EXPECT_EQ(d.CellText(2, 0), "138000000013");
    EXPECT_EQ(d.CellText(3, 0), "01012345678");
    EXPECT_EQ(Label("countLine"), "号码列表 共 4 条记录");
    SetNextFileName(std::nullopt);
}

TEST_F(SendComposer, ListMenuCommands) {
    CDlgSendSMS& d = Open([](CDlgSendSMS& dialog) {
        dialog.SetNumberTriples(Triples({{"13800000001", "", 0},
                                         {"075512345678", "", 0},
                                         {"13800000002", "", 0},
                                         {"0085212345678", "", 0}}));
        dialog.SetPrefillContent(QStringLiteral("你好"));
    });
    EXPECT_EQ(Label("1037"), "15 条");
    // "过滤小灵通号码" keeps the 11-digit mobile numbers; the tallies follow.
    d.OnListMenuCommand(10004);
    EXPECT_EQ(d.NumberList().GetCount(), 2);
    EXPECT_EQ(Label("countLine"), "号码列表 共 2 条记录");
    EXPECT_EQ(Label("1037"), "2 条");
    d.OnListMenuCommand(10002);
    EXPECT_EQ(d.NumberList().GetCount(), 0);
    EXPECT_EQ(Label("1037"), "0 条");
}

TEST_F(SendComposer, NetMessageTitlesInsertTheirText) {
    const std::vector<NET_SMS> messages{{QStringLiteral("问候"), QStringLiteral("早上好")},
                                        {QStringLiteral("节日"), QStringLiteral("节日快乐")}};
    CDlgSendSMS& d = Open([&](CDlgSendSMS& dialog) { dialog.SetNetMessages(true, &messages); });
    auto* combo = Child<QComboBox>(d, "1172");
    ASSERT_TRUE(combo->isVisibleTo(&d));
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), "节日");
    SetContent(QStringLiteral("您好，"));
    Child<QTextEdit>(d, "21021")->moveCursor(QTextCursor::End);
    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(Child<QTextEdit>(d, "21021")->toPlainText(), "您好，节日快乐。");
}

TEST_F(SendComposer, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    const QStringList numbers =
        Triples({{"13800138000", "张三", 1}, {"13912345678", "李四", 2}, {"01087654321", "王五", 3}});
    {
        CDlgSendSMS& d = Open(
            [&](CDlgSendSMS& dialog) {
                dialog.SetPersonalizedMode(true);
                dialog.SetNumberTriples(numbers);
                dialog.SetPrefillContent(QStringLiteral("<%姓名%>您好，您的订单已发货。"));
            },
            0);
        ASSERT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("sms-composer-personalised.png"))));
    }
    {
        CDlgSendSMS& d = Open([&](CDlgSendSMS& dialog) {
            dialog.SetSurveyMode(true);
            dialog.SetNumberTriples(numbers);
            dialog.SetPrefillContent(QStringLiteral("您对本次服务满意吗？"));
        });
        Child<QLineEdit>(d, "1004")->setText(QStringLiteral("60"));
        Child<QCheckBox>(d, "31007")->setChecked(true);
        d.RecountContent();
        ASSERT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("sms-composer-survey.png"))));
    }
    {
        const std::vector<NET_SMS> messages{
            {QStringLiteral("新年问候"), QStringLiteral("新年快乐，万事如意")},
            {QStringLiteral("会议通知"), QStringLiteral("明天上午九点开会")}};
        CDlgSendSMS& d = Open([&](CDlgSendSMS& dialog) {
            dialog.SetNetMessages(true, &messages);
            dialog.SetNumberTriples(numbers);
            dialog.SetPrefillContent(QStringLiteral("新年快乐，万事如意。"));
        });
        ASSERT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("sms-composer-net.png"))));
    }
}

} // namespace
