// The personalised SMS dialog and its two import pages, driven as a user
// would against the loopback messaging service: which buttons each road
// offers, what the list shows against what goes out, the busy state while a
// batch is on the wire, and the import pages' checks.
#include "contacts/xlsx_writer.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "gui/main/app_control.h"
#include "gui/sms/per_msg_dialog.h"
#include "gui/sms/per_msg_import_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/sms/time_send_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/encoding.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

namespace {

const QString kSignature = QStringLiteral("测试公司");

// The decoded texts of a gxmt call, in item order.
QStringList GxmtTexts(const LoopbackCall& call) {
    QStringList texts;
    const QString contents = QString::fromStdString(call.field("content").value_or(""));
    for (const QString& item : contents.split(QLatin1Char(',')))
        texts << enc::FromGbk(UrlDecode(item.toStdString()));
    return texts;
}

QString Field(const LoopbackCall& call, const char* name) {
    return QString::fromStdString(call.field(name).value_or(""));
}

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class PerMsgDialogTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        g_pAccount.setField(kAccountSignature, kSignature);
        LoginAs(QStringLiteral("AD"), true);
    }
    void TearDown() override {
        m_dialog.reset();
        SetModalRunner({});
        SetNextFileName(std::nullopt);
        g_pLoginRights.reset();
        ClearQuitRequest();
        ServiceTest::TearDown();
    }

    // An administrator or an operator; `right16` grants the whole numbers.
    static void LoginAs(const QString& account, bool right16) {
        auto rights = std::make_unique<QStringList>();
        *rights << account;
        for (int i = 1; i <= 20; ++i)
            *rights << (i == 16 && !right16 ? QStringLiteral("0") : QStringLiteral("1"));
        g_pLoginRights = std::move(rights);
    }

    // A GBK CSV file in the program folder: a header "手机,姓名" and the rows.
    QString WriteCsv(const QString& name, const QStringList& lines) {
        m_folder->writeFile(name, QByteArray::fromStdString(enc::ToGbk(lines.join(QStringLiteral("\r\n")))));
        return m_folder->file(name);
    }
    QString ThreeRowCsv() {
        return WriteCsv(QStringLiteral("people.csv"),
                        {QStringLiteral("手机,姓名"), QStringLiteral("13800138000,张三"),
                         QStringLiteral("13900139000,李四"), QStringLiteral("01012345678,王五")});
    }
    static PERMSG_IMPORT_PARAM Param(const QString& path, bool signedFlag) {
        PERMSG_IMPORT_PARAM param;
        param.filePath = path;
        param.numberColumn = 1;
        param.signature = signedFlag ? 1 : 0;
        return param;
    }

    CDlgPerMSG& Open(const std::function<void(CDlgPerMSG&)>& setup = {}) {
        m_dialog = std::make_unique<CDlgPerMSG>();
        if (setup)
            setup(*m_dialog);
        m_dialog->show();
        WaitRows();
        return *m_dialog;
    }
    void WaitRows() {
        EXPECT_TRUE(WaitUntil([&] { return !m_dialog->MakingRows(); }));
    }
    void Import(const QString& path, bool signedFlag, const QString& templ) {
        m_dialog->FillPerList(Param(path, signedFlag), templ);
        WaitRows();
    }
    QPushButton* Button(const char* id) { return Child<QPushButton>(*m_dialog, id); }
    // The buttons a user can see and press, by id.
    QStringList Usable() {
        QStringList ids;
        for (const char* id : {"1003", "41007", "21010", "21004", "31006", "1005"})
            if (!Button(id)->isHidden() && Button(id)->isEnabled())
                ids << QString::fromLatin1(id);
        return ids;
    }
    QString Cell(int row, int column) { return m_dialog->OnGetDispInfo(row, column); }
    // Sends (the question answered Yes) and waits until the dialog ended.
    void SendAndWait(const char* button = "31006") {
        Click(*m_dialog, button);
        EXPECT_TRUE(WaitUntil([&] { return m_dialog->result() != kStayedOpen; },
                              std::chrono::milliseconds(TimeBoundMs(15000))));
    }

    std::unique_ptr<CDlgPerMSG> m_dialog;
};

TEST_F(PerMsgDialogTest, ImportButtonOnlyForAnAdministrator) {
    struct Case {
        const char* account; // nullptr: nobody logged in
        bool shown;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"AD", true}, {"ADMIN", true}, {"OP", false}, {"", false}, {"xAD", false}, {nullptr, false}}) {
        if (c.account)
            LoginAs(QString::fromLatin1(c.account), true);
        else
            g_pLoginRights.reset();
        Open();
        EXPECT_EQ(!Button("1003")->isHidden(), c.shown) << (c.account ? c.account : "nobody");
        m_dialog.reset();
    }
}

TEST_F(PerMsgDialogTest, ButtonsFollowTheRoad) {
    Open();
    EXPECT_EQ(Usable(), QStringList({"1003", "41007", "1005"}));
    EXPECT_EQ(m_dialog->List()->ColumnCount(), 3);

    Import(ThreeRowCsv(), false, QStringLiteral("<%1姓名%>您好"));
    EXPECT_EQ(m_dialog->List()->ItemCount(), 3);
    EXPECT_EQ(Usable(), QStringList({"21010", "21004", "31006", "1005"}));

    Click(*m_dialog, "21010");
    EXPECT_EQ(m_dialog->List()->ItemCount(), 0);
    EXPECT_EQ(Usable(), QStringList({"1003", "41007", "1005"}));
    m_dialog.reset();

    // Given rows: only the submit button and Cancel.
    const std::vector<std::function<void(CDlgPerMSG&)>> givenRoads = {
        [](CDlgPerMSG& d) {
            d.SetResendRecords({1, 2});
        },
        [](CDlgPerMSG& d) {
            d.SetBatchDate(QStringLiteral("生日快乐"), {{"张三", "13800138000", "2031-01-01 09:00:00"}}, {},
                           false);
        },
    };
    for (const auto& setup : givenRoads) {
        Open(setup);
        for (const char* id : {"1003", "41007", "21010", "21004"})
            EXPECT_TRUE(Button(id)->isHidden()) << id;
        EXPECT_EQ(Button("31006")->text(), QStringLiteral("立即提交"));
        EXPECT_FALSE(Button("1005")->isHidden());
        m_dialog.reset();
    }
}

TEST_F(PerMsgDialogTest, RowsAfterAnEmptyFileGoBackToTheOpeningState) {
    Open();
    Import(WriteCsv(QStringLiteral("none.csv"), {QStringLiteral("手机,姓名"), QStringLiteral("12345,无效")}),
           true, QStringLiteral("您好"));
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("号码或者内容为空，不能发送！")});
    EXPECT_EQ(m_dialog->List()->ItemCount(), 0);
    EXPECT_FALSE(m_dialog->Signed());
    EXPECT_EQ(Usable(), QStringList({"1003", "41007", "1005"}));
}

// What column 2 shows is what goes out: the signature behind the text only
// on a road that appends it, and never after "清空列表" took it away.
TEST_F(PerMsgDialogTest, SignatureShownExactlyWhenSent) {
    struct Case {
        const char* name;
        std::function<void()> fill;
        bool signatureShown;
    };
    const QString path = ThreeRowCsv();
    const std::vector<Case> cases = {
        {"imported, signed", [&] { Import(path, true, QStringLiteral("<%1姓名%>您好")); }, true},
        {"imported, not signed", [&] { Import(path, false, QStringLiteral("<%1姓名%>您好")); }, false},
        {"signed import emptied, then the composer",
         [&] {
             Import(path, true, QStringLiteral("<%1姓名%>您好"));
             Click(*m_dialog, "21010");
             m_dialog->OnRowsFromComposer({{"13800138000", 0}, {"13900139000", 0}}, QStringLiteral("您好"));
             WaitRows();
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_main->clear();
        m_boxes->clear();
        Open();
        c.fill();
        const int rows = m_dialog->List()->ItemCount();
        ASSERT_GT(rows, 1);
        QStringList shown;
        for (int i = 0; i < rows; ++i)
            shown << Cell(i, 2);
        EXPECT_EQ(shown.front().endsWith(QStringLiteral("【测试公司】")), c.signatureShown)
            << shown.front().toStdString();
        EXPECT_EQ(m_dialog->Signed(), c.signatureShown);

        SendAndWait();
        const auto calls = m_main->calls("gxmt");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(GxmtTexts(calls[0]), shown);
        EXPECT_EQ(m_dialog->result(), 1003);
        EXPECT_EQ(m_boxes->texts(), QStringList({QStringLiteral("确定发送?"), QStringLiteral("发送成功")}));
        m_dialog.reset();
    }
}

TEST_F(PerMsgDialogTest, NumbersShownWholeToEveryone) {
    LoginAs(QStringLiteral("OP"), false);
    ASSERT_TRUE(IsRightDenied(16));
    Open();
    Import(ThreeRowCsv(), false, QStringLiteral("您好"));
    ASSERT_EQ(m_dialog->List()->ItemCount(), 3);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("13800138000"));
    EXPECT_EQ(Cell(2, 1), QStringLiteral("01012345678"));
    EXPECT_EQ(Cell(1, 0), QStringLiteral("2"));
}

TEST_F(PerMsgDialogTest, UnknownFieldOfTheComposerStopsBeforeAnyRow) {
    Open();
    m_dialog->OnRowsFromComposer({{"13800138000", 0}}, QStringLiteral("<%没有这个字段%>您好"));
    WaitRows();
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("短信内容中的字段“没有这个字段”不存在")});
    EXPECT_EQ(m_dialog->List()->ItemCount(), 0);
    EXPECT_EQ(Usable(), QStringList({"1003", "41007", "1005"}));
}

// While a batch is on the wire nothing may end the dialog or start another
// send, and the window keeps running its events.
TEST_F(PerMsgDialogTest, BusyWhileAnAnswerIsHeld) {
    m_main->script("gxmt", LoopbackAnswer::Held());
    Open();
    Import(ThreeRowCsv(), false, QStringLiteral("您好"));
    Click(*m_dialog, "31006");
    ASSERT_TRUE(m_main->waitForHeld());
    ASSERT_TRUE(m_dialog->IsBusy());
    EXPECT_TRUE(Usable().isEmpty());
    for (const char* id : {"1003", "41007", "21010", "21004", "31006", "1005"})
        EXPECT_TRUE(Button(id)->isHidden()) << id;
    EXPECT_FALSE(m_dialog->List()->isEnabled());

    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    EXPECT_TRUE(WaitUntil([&] { return fired; }));

    SendKey(m_dialog.get(), Qt::Key_Escape);
    m_dialog->close();
    m_dialog->reject();
    Wait(50);
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_dialog->result(), kStayedOpen);

    m_main->release();
    EXPECT_TRUE(WaitUntil([&] { return m_dialog->result() != kStayedOpen; },
                          std::chrono::milliseconds(TimeBoundMs(15000))));
    EXPECT_EQ(m_dialog->result(), 1003);
    EXPECT_EQ(m_boxes->texts().last(), QStringLiteral("发送成功"));
}

TEST_F(PerMsgDialogTest, QuitDuringASendEndsAfterTheBatchWithoutBoxes) {
    m_main->script("gxmt", LoopbackAnswer::Held());
    Open();
    Import(ThreeRowCsv(), false, QStringLiteral("您好"));
    Click(*m_dialog, "31006");
    ASSERT_TRUE(m_main->waitForHeld());
    RequestQuit();
    m_dialog->reject();
    m_main->release();
    EXPECT_TRUE(WaitUntil([&] { return m_dialog->result() != kStayedOpen; },
                          std::chrono::milliseconds(TimeBoundMs(15000))));
    EXPECT_EQ(m_dialog->result(), IDCANCEL);
    EXPECT_EQ(m_boxes->texts(), QStringList{QStringLiteral("确定发送?")});
}

TEST_F(PerMsgDialogTest, BatchDateRoadSubmitsEachRowAtItsTime) {
    Open([](CDlgPerMSG& d) {
        d.SetBatchDate(
            QStringLiteral("生日快乐"),
            {{"张三", "13800138000", "2031-01-01 09:00:00"}, {"李四", "13900139000", "2031-02-03 08:30:00"}},
            {0, 0}, true);
    });
    ASSERT_EQ(m_dialog->List()->ItemCount(), 2);
    EXPECT_EQ(m_dialog->List()->ColumnCount(), 4);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("生日快乐【测试公司】"));
    EXPECT_EQ(Cell(1, 3), QStringLiteral("2031-02-03 08:30:00"));
    EXPECT_EQ(Usable(), QStringList({"31006", "1005"}));

    SendAndWait();
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Field(calls[0], "mobile"), QStringLiteral("13800138000,13900139000"));
    EXPECT_EQ(Field(calls[0], "stime"), QStringLiteral("2031-01-01 09:00:00,2031-02-03 08:30:00"));
    EXPECT_EQ(GxmtTexts(calls[0]),
              QStringList({QStringLiteral("生日快乐【测试公司】"), QStringLiteral("生日快乐【测试公司】")}));
    EXPECT_EQ(m_boxes->texts(), QStringList({QStringLiteral("确定提交?"), QStringLiteral("提交成功")}));
}

// The sent-records view hands over failed records: their numbers and texts
// are listed and submitted again, the records then sent.
TEST_F(PerMsgDialogTest, ResendRoadSubmitsTheFailedRecords) {
    for (const auto& [id, content, number] :
         {std::tuple{41, "您好#*#m1", "13800138000"}, std::tuple{42, "再见", "01012345678"}}) {
        SqlStatement info(g_pDB, "INSERT INTO sendInfo (content,submitTime,timingTime,count,isFail,sendID) "
                                 "VALUES(?1,'2026-01-01 00:00:00','',1,1,?2)");
        ASSERT_EQ(info.bind(1, content).bind(2, static_cast<int64_t>(id)).exec(), SQLITE_OK);
        SqlStatement num(g_pDB, "INSERT INTO sendNums (sendID,numOrMailAddr,rrid) VALUES(?1,?2,'old')");
        ASSERT_EQ(num.bind(1, static_cast<int64_t>(id)).bind(2, number).exec(), SQLITE_OK);
    }
    Open([](CDlgPerMSG& d) { d.SetResendRecords({41, 42}); });
    ASSERT_EQ(m_dialog->List()->ItemCount(), 2);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("您好"));
    EXPECT_EQ(Cell(1, 1), QStringLiteral("01012345678"));
    EXPECT_EQ(Usable(), QStringList({"31006", "1005"}));

    SendAndWait();
    const auto calls = m_main->calls("gxmt");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(Field(calls[0], "mobile"), QStringLiteral("13800138000,01012345678"));
    EXPECT_EQ(GxmtTexts(calls[0]), QStringList({QStringLiteral("您好"), QStringLiteral("再见")}));
    EXPECT_EQ(m_dialog->result(), 1003);
    SqlStatement failed(g_pDB, "SELECT COUNT(*) FROM sendInfo WHERE isFail<>0");
    ASSERT_EQ(failed.step(), SQLITE_ROW);
    EXPECT_EQ(failed.int64(0), 0);
}

// "编辑内容": the composer in personalised mode hands over its numbers
// with their contacts and its text; each row gets the text filled from its
// contact (by id, else by number).
TEST_F(PerMsgDialogTest, ComposerRoadFillsEachContactsFields) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name,mobileNum,perNO,isDeleted,groupID) VALUES "
                      "('张三','13800138000',7,0,0),('李四','13900139000',8,0,0)"),
              SQLITE_OK);
    bool composerSeen = false;
    SetModalRunner([&](QDialog& d) {
        auto* composer = dynamic_cast<CDlgSendSMS*>(&d);
        if (!composer)
            return 0;
        composerSeen = true;
        composer->SetNumberTriples({QStringLiteral("13800138000"), QStringLiteral("张三"),
                                    QStringLiteral("7"), QStringLiteral("13900139000"),
                                    QStringLiteral("李四"), QStringLiteral("0")});
        composer->show();
        EXPECT_TRUE(
            WaitUntil([&] { return composer->NumberList().GetCount() == 2 && !composer->IntakeRunning(); }));
        Child<QTextEdit>(d, "21021")->setPlainText(QStringLiteral("<%姓名%>您好"));
        composer->OnTimingSend(); // "确定(&O)" in this mode
        return d.result();
    });
    Open();
    Click(*m_dialog, "41007");
    WaitRows();
    ASSERT_TRUE(composerSeen);
    EXPECT_EQ(m_dialog->Road(), PerMsgRoad::Edited);
    ASSERT_EQ(m_dialog->List()->ItemCount(), 2);
    EXPECT_EQ(Cell(0, 2), QStringLiteral("张三您好"));
    EXPECT_EQ(Cell(1, 2), QStringLiteral("李四您好"));
    EXPECT_EQ(Usable(), QStringList({"21010", "21004", "31006", "1005"}));
}

TEST_F(PerMsgDialogTest, DeclinedQuestionSendsNothing) {
    Open();
    Import(ThreeRowCsv(), false, QStringLiteral("您好"));
    m_boxes->queueAnswer(IDNO);
    Click(*m_dialog, "31006");
    EXPECT_TRUE(m_main->calls("gxmt").empty());
    EXPECT_FALSE(m_dialog->IsBusy());
    EXPECT_EQ(Usable(), QStringList({"21010", "21004", "31006", "1005"}));
}

// A timed send carries its minute for every message; one declined at the
// question leaves no minute behind for a later "立即发送".
TEST_F(PerMsgDialogTest, TimedSendAndSendNowAfterADeclinedOne) {
    const QString minute = QStringLiteral("2031-05-06 07:08:00");
    SetModalRunner([&](QDialog& d) {
        if (auto* picker = dynamic_cast<CDlgMSGTimeSend*>(&d)) {
            picker->SetPickedTime(QDateTime::fromString(minute, QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            picker->OnOK();
        }
        return d.result();
    });
    struct Case {
        const char* name;
        bool declineTimed;
        QString stime;
    };
    for (const Case& c : {Case{"timed", false, minute + u',' + minute + u',' + minute},
                          Case{"timed declined, then now", true, QString()}}) {
        SCOPED_TRACE(c.name);
        m_main->clear();
        Open();
        Import(ThreeRowCsv(), false, QStringLiteral("您好"));
        if (c.declineTimed) {
            m_boxes->queueAnswer(IDNO);
            Click(*m_dialog, "21004");
            EXPECT_TRUE(m_main->calls("gxmt").empty());
            SendAndWait("31006");
        } else {
            SendAndWait("21004");
        }
        const auto calls = m_main->calls("gxmt");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(Field(calls[0], "stime"), c.stime);
        m_dialog.reset();
    }
}

// ---- the import pages -------------------------------------------------------------

class PerMsgDialogImportPages : public PerMsgDialogTest {};

TEST_F(PerMsgDialogImportPages, FirstPageRefusals) {
    const QString csv = ThreeRowCsv();
    m_folder->writeFile(QStringLiteral("broken.xlsx"), QByteArray("not a workbook"));
    struct Case {
        const char* name;
        QString file; // "" : none chosen
        QString separator;
        QStringList boxes;
        bool secondPage;
    };
    const std::vector<Case> cases = {
        {"no file", QString(), QString(), {QStringLiteral("文件名称不能为空.")}, false},
        {"unreadable workbook, no sheet",
         m_folder->file(QStringLiteral("broken.xlsx")),
         QString(),
         {QStringLiteral("无法读取该表格文件,无法导入!"), QStringLiteral("表名不能为空.")},
         false},
        {"separator of six", csv, QStringLiteral("abcdef"), {QStringLiteral("分隔符太长！")}, false},
        {"separator of five", csv, QStringLiteral("abcde"), {}, true},
        {"no separator", csv, QString(), {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        bool secondPage = false;
        SetModalRunner([&](QDialog& d) {
            secondPage = dynamic_cast<CDlgPerMSGImport1*>(&d) != nullptr;
            return 1002;
        });
        CDlgPerMSGImport page;
        EXPECT_TRUE(Child<QLineEdit>(page, "1004")->isReadOnly());
        if (!c.file.isEmpty()) {
            SetNextFileName(c.file);
            Click(page, "21004");
            EXPECT_TRUE(WaitUntil([&] { return !page.busy(); }));
            EXPECT_EQ(Child<QLineEdit>(page, "1004")->text(), c.file);
        }
        Child<QLineEdit>(page, "1165")->setText(c.separator);
        Click(page, "1003");
        EXPECT_TRUE(WaitUntil([&] { return !page.busy(); }));
        EXPECT_EQ(m_boxes->texts(), c.boxes);
        EXPECT_EQ(secondPage, c.secondPage);
    }
}

TEST_F(PerMsgDialogImportPages, SeparatorSplitsTheHeader) {
    const QString path = WriteCsv(QStringLiteral("semi.csv"),
                                  {QStringLiteral("手机;姓名;"), QStringLiteral("13800138000;张三;")});
    QStringList offered;
    SetModalRunner([&](QDialog& d) {
        auto* page2 = dynamic_cast<CDlgPerMSGImport1*>(&d);
        if (page2)
            for (int i = 0; i < Child<QComboBox>(d, "21041")->count(); ++i)
                offered << Child<QComboBox>(d, "21041")->itemText(i);
        return 1002;
    });
    CDlgPerMSGImport page;
    page.TakeFile(path);
    Child<QLineEdit>(page, "1165")->setText(QStringLiteral(";"));
    page.OnNext();
    EXPECT_EQ(offered, QStringList({QStringLiteral("手机"), QStringLiteral("姓名")}));
}

TEST_F(PerMsgDialogImportPages, SecondPageChecksBeforeFinishing) {
    const QStringList columns = {QStringLiteral("手机"), QStringLiteral("姓名"), QString()};
    struct Case {
        const char* name;
        int numberColumn; // -1: none chosen
        QString text;
        QStringList boxes;
        int result;
    };
    const std::vector<Case> cases = {
        {"no number column", -1, QStringLiteral("您好"), {QStringLiteral("发送对象不能为空")}, kStayedOpen},
        {"empty message", 0, QString(), {QStringLiteral("短信内容不能为空")}, kStayedOpen},
        {"blank message", 0, QStringLiteral("  \n "), {QStringLiteral("短信内容不能为空")}, kStayedOpen},
        {"500 characters", 0, QString(500, u'好'), {}, 1003},
        {"501 characters", 0, QString(501, u'好'), {QStringLiteral("内容长度不能超过500")}, kStayedOpen},
        {"unknown column",
         0,
         QStringLiteral("<%1手机%>您好"),
         {QStringLiteral("短信内容中的字段“1手机”不存在")},
         kStayedOpen},
        {"known columns", 1, QStringLiteral("<%1姓名%>您好<%0手机%>"), {}, 1003},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        CDlgPerMSGImport1 page(columns);
        page.m_strPath = QStringLiteral("/x/Temp.csv");
        Child<QComboBox>(page, "21041")->setCurrentIndex(c.numberColumn);
        Child<QPlainTextEdit>(page, "1004")->setPlainText(c.text);
        Child<QCheckBox>(page, "1006")->setChecked(true);
        Click(page, "1005");
        EXPECT_EQ(m_boxes->texts(), c.boxes);
        EXPECT_EQ(page.result(), c.result);
        if (c.result == 1003) {
            EXPECT_EQ(page.ImportParam().numberColumn, c.numberColumn + 1);
            EXPECT_EQ(page.ImportParam().signature, 1);
            EXPECT_EQ(page.ImportParam().filePath, QStringLiteral("/x/Temp.csv"));
            EXPECT_EQ(page.Template(), c.text.trimmed());
        }
    }
}

TEST_F(PerMsgDialogImportPages, InsertFieldAppendsPlaceholders) {
    CDlgPerMSGImport1 page(
        {QStringLiteral("手机"), QStringLiteral("姓名"), QStringLiteral("手机"), QString()});
    QComboBox* numbers = Child<QComboBox>(page, "21041");
    QComboBox* fields = Child<QComboBox>(page, "21040");
    EXPECT_EQ(numbers->count(), 4);
    EXPECT_EQ(numbers->itemText(3), QStringLiteral("NULL字段名为空"));
    EXPECT_EQ(numbers->currentIndex(), -1);
    EXPECT_EQ(fields->itemText(fields->count() - 1), QStringLiteral("全部字段"));

    QPlainTextEdit* message = Child<QPlainTextEdit>(page, "1004");
    message->setPlainText(QStringLiteral("您好"));
    page.OnInsertField(2);
    EXPECT_EQ(message->toPlainText(), QStringLiteral("您好<%2手机%>"));
    message->clear();
    page.OnInsertField(fields->count() - 1);
    EXPECT_EQ(message->toPlainText(), QStringLiteral("<%0手机%><%1姓名%><%2手机%><%3%>"));
}

TEST_F(PerMsgDialogImportPages, CancelAsksAndBackGoesBack) {
    for (int answer : {IDNO, IDYES}) {
        m_boxes->clear();
        m_boxes->queueAnswer(answer);
        CDlgPerMSGImport1 page({QStringLiteral("手机")});
        page.show();
        Click(page, "2");
        ASSERT_EQ(m_boxes->shown().size(), 1u);
        EXPECT_EQ(m_boxes->shown()[0].text, QStringLiteral("确定退出?"));
        EXPECT_EQ(m_boxes->shown()[0].title, QStringLiteral("退出确认"));
        EXPECT_EQ(page.result(), answer == IDYES ? 1002 : kStayedOpen);
    }
    CDlgPerMSGImport1 page({QStringLiteral("手机")});
    Click(page, "1003");
    EXPECT_EQ(page.result(), 1001);
}

// "导入Excel" through both pages: the pages' choice becomes the rows.
TEST_F(PerMsgDialogImportPages, WizardFillsTheList) {
    const QString xlsx = m_folder->file(QStringLiteral("book.xlsx"));
    {
        XlsxWriter writer(xlsx);
        ASSERT_TRUE(writer.AddSheet(QStringLiteral("首页")));
        ASSERT_TRUE(writer.AddRow({QStringLiteral("无关")}));
        ASSERT_TRUE(writer.AddSheet(QStringLiteral("名单")));
        ASSERT_TRUE(writer.AddRow({QStringLiteral("姓名"), QStringLiteral("手机")}));
        ASSERT_TRUE(writer.AddRow({QStringLiteral("张三"), QStringLiteral("13800138000")}));
        ASSERT_TRUE(writer.AddRow({QStringLiteral("李四"), QStringLiteral("13900139000")}));
        ASSERT_TRUE(writer.Close());
    }
    const std::vector<QString> files = {ThreeRowCsv(), xlsx};
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        const bool sheet = file.endsWith(QLatin1String(".xlsx"));
        QStringList columns;
        SetModalRunner([&](QDialog& d) -> int {
            if (auto* page1 = dynamic_cast<CDlgPerMSGImport*>(&d)) {
                page1->TakeFile(file);
                EXPECT_TRUE(WaitUntil([&] { return !page1->busy(); }));
                if (sheet)
                    Child<QComboBox>(d, "21040")->setCurrentIndex(1);
                page1->OnNext();
                EXPECT_TRUE(WaitUntil([&] { return !page1->busy(); }));
                return d.result();
            }
            auto* page2 = dynamic_cast<CDlgPerMSGImport1*>(&d);
            if (!page2)
                return 0;
            QComboBox* numbers = Child<QComboBox>(d, "21041");
            for (int i = 0; i < numbers->count(); ++i)
                columns << numbers->itemText(i);
            numbers->setCurrentIndex(columns.indexOf(QStringLiteral("手机")));
            const int name = columns.indexOf(QStringLiteral("姓名"));
            Child<QPlainTextEdit>(d, "1004")->setPlainText(ImportColumnPlaceholder(name, columns[name]) +
                                                           QStringLiteral("您好"));
            page2->OnFinish();
            return d.result();
        });
        Open();
        Click(*m_dialog, "1003");
        WaitRows();
        EXPECT_EQ(columns, sheet ? QStringList({QStringLiteral("姓名"), QStringLiteral("手机")})
                                 : QStringList({QStringLiteral("手机"), QStringLiteral("姓名")}));
        ASSERT_EQ(m_dialog->List()->ItemCount(), sheet ? 2 : 3);
        EXPECT_EQ(Cell(0, 1), QStringLiteral("13800138000"));
        EXPECT_EQ(Cell(1, 2), QStringLiteral("李四您好"));
        EXPECT_EQ(Usable(), QStringList({"21010", "21004", "31006", "1005"}));
        m_dialog.reset();
    }
}

// The dialog with imported rows and both import pages, for docs/screenshots.
TEST_F(PerMsgDialogTest, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    const QString path =
        WriteCsv(QStringLiteral("orders.csv"),
                 {QStringLiteral("手机,姓名,订单号"), QStringLiteral("13800138000,张三,A1001"),
                  QStringLiteral("13912345678,李四,A1002"), QStringLiteral("01087654321,王五,A1003"),
                  QStringLiteral("13700137000,赵六,A1004")});
    const QString templ = QStringLiteral("<%1姓名%>您好，您的订单<%2订单号%>已发货。");
    {
        CDlgPerMSGImport page;
        page.TakeFile(path);
        page.resize(page.sizeHint().expandedTo(QSize(460, 200)));
        ASSERT_TRUE(page.grab().save(QDir(dir).filePath(QStringLiteral("personalised-import-file.png"))));
    }
    {
        CDlgPerMSGImport1 page({QStringLiteral("手机"), QStringLiteral("姓名"), QStringLiteral("订单号")});
        Child<QComboBox>(page, "21041")->setCurrentIndex(0);
        Child<QPlainTextEdit>(page, "1004")->setPlainText(templ);
        Child<QCheckBox>(page, "1006")->setChecked(true);
        page.resize(QSize(480, 340));
        ASSERT_TRUE(page.grab().save(QDir(dir).filePath(QStringLiteral("personalised-import-columns.png"))));
    }
    Open();
    Import(path, true, templ);
    m_dialog->resize(QSize(760, 420));
    ASSERT_TRUE(m_dialog->grab().save(QDir(dir).filePath(QStringLiteral("personalised-sms.png"))));
}

} // namespace
