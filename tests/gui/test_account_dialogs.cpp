// The account dialogs: the service password (against the loopback messaging
// service), the operator's rights, and the recharge with a prepaid card.
#include "core/account.h"
#include "core/database.h"
#include "core/login_accounts.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/operator_rights_dialog.h"
#include "gui/main/recharge_dialog.h"
#include "gui/main/service_password_dialog.h"
#include "service/web_service_client.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/service_fixture.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <optional>

namespace {

void Exec(const char* sql) { ASSERT_EQ(ExecSql(nullptr, g_pDB, sql), SQLITE_OK) << sql; }

std::optional<QString> Value(const char* table, const char* column, const char* where = "1") {
    SqlStatement st(g_pDB, std::string("SELECT ") + column + " FROM " + table + " WHERE " + where);
    if (st.step() != SQLITE_ROW)
        return std::nullopt;
    return st.qtext(0);
}

std::optional<QString> RightValue(int right) {
    SqlStatement st(g_pDB, "SELECT fieldValue FROM accountInfo WHERE fieldName=?1");
    st.bind(1, RightFieldName(right));
    if (st.step() != SQLITE_ROW)
        return std::nullopt;
    return st.qtext(0);
}

using AccountDialogTest = ServiceTest;

TEST_F(AccountDialogTest, BoxesTakeNoMoreThanTheirLimit) {
    CDlgModiSerPWD password;
    CDlgRecharge recharge;
    const struct {
        QDialog* dialog;
        const char* id;
        int limit;
    } boxes[] = {
        {&password, "1014", 11}, {&password, "21015", 11}, {&password, "31016", 11},
        {&recharge, "1014", 17}, {&recharge, "21015", 8},
    };
    const QString typed = QStringLiteral("1234567890abcdefghij");
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.dialog->objectName().toStdString() + " " + b.id);
        QLineEdit* edit = Child<QLineEdit>(*b.dialog, QLatin1String(b.id));
        Type(edit, typed);
        EXPECT_EQ(edit->text(), typed.left(b.limit));
    }
}

// ---------------------------------------------------------------- service password

TEST_F(AccountDialogTest, ServicePasswordInputIsCheckedBeforeAnyCall) {
    const struct {
        const char* name;
        QString current;
        QString newPassword;
        QString confirm;
        int refusal;
    } cases[] = {
        {"new password of 5", kPassword, "12345", "12345", 220},
        {"empty confirmation", kPassword, "123456", "", 220},
        {"current of 5", "secre", "123456", "123456", 220},
        {"length before the current password", "wrong!", "12345", "12345", 220},
        {"current password wrong", "secreT", "123456", "123456", 221},
        {"current before the confirmation", "secreT", "123456", "654321", 221},
        {"confirmation differs", kPassword, "123456", "654321", 218},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        CDlgModiSerPWD dlg;
        Fill(dlg, {{"1014", c.current}, {"21015", c.newPassword}, {"31016", c.confirm}});
        Click(dlg, "1");
        EXPECT_EQ(dlg.result(), kStayedOpen);
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(c.refusal)});
    }
    EXPECT_TRUE(m_main->calls().empty());
    EXPECT_TRUE(m_backup->calls().empty());
    EXPECT_EQ(g_pAccount.field(kAccountPassword), kPassword);
}

TEST_F(AccountDialogTest, ServicePasswordRefusedChangesNothing) {
    Exec("INSERT INTO Register (SerNum, PassWd) VALUES ('SN-TEST-01', 'secret')");
    m_main->script("UDPPwd", LoopbackAnswer::Text("-2"));
    CDlgModiSerPWD dlg;
    Fill(dlg, {{"1014", kPassword}, {"21015", "newpass1"}, {"31016", "newpass1"}});
    Click(dlg, "1");

    EXPECT_EQ(dlg.result(), kStayedOpen);
    EXPECT_EQ(m_boxes->texts(), QStringList{"-2"});  // the service's refusal, shown by the call
    EXPECT_EQ(g_pAccount.field(kAccountPassword), kPassword);
    EXPECT_EQ(Value("Register", "PassWd"), QStringLiteral("secret"));
    ASSERT_EQ(m_main->calls("UDPPwd").size(), 1u);
    EXPECT_EQ(m_main->calls("UDPPwd")[0].field("newpwd"), "newpass1");
}

TEST_F(AccountDialogTest, ServicePasswordAcceptedButNotStoredLocally) {
    // No Register row: the service has the new password, the database cannot take it.
    CDlgModiSerPWD dlg;
    Fill(dlg, {{"1014", kPassword}, {"21015", "newpass1"}, {"31016", "newpass1"}});
    Click(dlg, "1");

    EXPECT_EQ(dlg.result(), kStayedOpen);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(222)});
    EXPECT_TRUE(runLog().contains(QStringLiteral("修改密码时，数据库更新数据出错")));
    EXPECT_EQ(g_pAccount.field(kAccountPassword), QStringLiteral("newpass1"));

    // Later calls already speak with the password the service now holds.
    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    client.CallGetStatus();
    ASSERT_EQ(m_main->calls("GetStatus").size(), 1u);
    EXPECT_EQ(m_main->calls("GetStatus")[0].field("pwd"), "newpass1");
}

TEST_F(AccountDialogTest, ServicePasswordChanged) {
    Exec("INSERT INTO Register (SerNum, PassWd) VALUES ('SN-TEST-01', 'secret')");
    const QString newPassword = QStringLiteral("it's'--1");
    CDlgModiSerPWD dlg;
    Fill(dlg, {{"1014", kPassword}, {"21015", newPassword}, {"31016", newPassword}});
    Click(dlg, "1");

    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(219)});
    EXPECT_EQ(Value("Register", "PassWd"), newPassword);
    EXPECT_EQ(Value("Register", "SerNum"), QStringLiteral("SN-TEST-01"));
    EXPECT_EQ(g_pAccount.field(kAccountPassword), newPassword);
    const auto calls = m_main->calls("UDPPwd");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("pwd"), kPassword);
    EXPECT_EQ(calls[0].field("newpwd"), newPassword.toStdString());
}

TEST_F(AccountDialogTest, ServicePasswordStoredOnAPositiveAnswer) {
    // By the service's convention only a negative answer is a refusal: after
    // "1" the service holds the new password, so this client must too.
    Exec("INSERT INTO Register (SerNum, PassWd) VALUES ('SN-TEST-01', 'secret')");
    m_main->script("UDPPwd", LoopbackAnswer::Text("1"));
    CDlgModiSerPWD dlg;
    Fill(dlg, {{"1014", kPassword}, {"21015", "newpass1"}, {"31016", "newpass1"}});
    Click(dlg, "1");

    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(219)});
    EXPECT_EQ(g_pAccount.field(kAccountPassword), QStringLiteral("newpass1"));
    EXPECT_EQ(Value("Register", "PassWd"), QStringLiteral("newpass1"));
    ASSERT_EQ(m_main->calls("UDPPwd").size(), 1u);
}

// ---------------------------------------------------------------- operator rights

class RightsDialogTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_boxes = std::make_unique<MessageBoxRecorder>();
    }
    void TearDown() override {
        m_boxes.reset();
        ProgramFolderTest::TearDown();
    }

    static QCheckBox* Box(QWidget& dialog, int right) {
        return Child<QCheckBox>(dialog, QString::number(10099 + right));
    }
    static void SetAllRows(const char* value) {
        SqlStatement st(g_pDB, "UPDATE accountInfo SET fieldValue=?1 WHERE fieldName LIKE 'name%'");
        ASSERT_EQ(st.bind(1, value).exec(), SQLITE_OK);
    }

    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

TEST_F(RightsDialogTest, BoxesFollowTheArrayAndAShortArrayLeavesTheRestUnchecked) {
    SetAllRows("1");
    // Flags are read as numbers; ten elements reach right 9.
    const QStringList rights{"OPx", "1", "2", "0", "abc", " 1", "1", "1", "1", "1"};
    CDlgOperatorRights dlg(&rights);
    EXPECT_EQ(dlg.findChild<QCheckBox*>(QStringLiteral("10105")), nullptr) << "right 6 has no box";
    for (int right : EditableRights())
        EXPECT_EQ(Box(dlg, right)->isChecked(), right <= 9 && right != 3 && right != 4) << right;

    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(238)});
    for (int right = 1; right <= kRightCount; ++right) {
        const bool granted = right == 6 || (right <= 9 && right != 3 && right != 4);  // 6 is left alone
        EXPECT_EQ(RightValue(right), granted ? "1" : "0") << right;
    }
}

TEST_F(RightsDialogTest, EveryBoxUncheckedStoresZeroEverywhere) {
    SetAllRows("1");
    QStringList rights{"OPx"};
    for (int right = 1; right <= kRightCount; ++right)
        rights << "1";
    CDlgOperatorRights dlg(&rights);
    for (int right : EditableRights())
        Box(dlg, right)->click();
    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), 1003);
    for (int right : EditableRights())
        EXPECT_EQ(RightValue(right), "0") << right;
}

TEST_F(RightsDialogTest, MissingRightRowIsCreated) {
    Exec("DELETE FROM accountInfo WHERE fieldName='name18'");
    const QStringList rights{"OPx"};
    CDlgOperatorRights dlg(&rights);
    Box(dlg, 18)->click();
    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(RightValue(18), "1");
    EXPECT_EQ(RightValue(17), "0");
}

TEST_F(RightsDialogTest, FailedSaveRollsBackAndStaysOpen) {
    Exec("CREATE TRIGGER refuse12 BEFORE UPDATE ON accountInfo WHEN NEW.fieldName='name12' "
         "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const QStringList rights{"OPx"};
    CDlgOperatorRights dlg(&rights);
    for (int right : EditableRights())
        Box(dlg, right)->click();
    Click(dlg, "1");

    EXPECT_EQ(dlg.result(), kStayedOpen);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_TRUE(runLog().contains(QStringLiteral("更新操作员权限出错了")));
    for (int right : EditableRights())
        EXPECT_EQ(RightValue(right), "0") << right << ": the rights before the failure are rolled back too";
    EXPECT_TRUE(Box(dlg, 1)->isChecked()) << "the choice stays for another try";

    // Nothing of the failed save is left pending on the connection.
    Exec("DROP TRIGGER refuse12");
    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(RightValue(12), "1");
}

// ---------------------------------------------------------------- recharge

TEST_F(AccountDialogTest, RechargeCardLengthsAreCheckedBeforeAnyCall) {
    const struct {
        const char* name;
        QString cardNo;
        QString cardPassword;
    } cases[] = {
        {"number of 16", "1234567890123456", "123456"},
        {"password of 7", "12345678901234567", "1234567"},
        {"password of 5", "12345678901234567", "12345"},
        {"both empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        CDlgRecharge dlg;
        Fill(dlg, {{"1014", c.cardNo}, {"21015", c.cardPassword}});
        Click(dlg, "1");
        EXPECT_EQ(dlg.result(), kStayedOpen);
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(250)});
    }
    EXPECT_TRUE(m_main->calls().empty());
}

TEST_F(AccountDialogTest, RechargeOutcomes) {
    const QString success = QStringLiteral("充值成功.\n\n您当前账户可用条数为:");
    const struct {
        const char* name;
        const char* result;
        LoopbackPage balance;
        int dialogResult;
        QString box;
        unsigned icon;
        bool balanceAsked;
    } cases[] = {
        {"accepted", "0", {200, "1234"}, 1003, success + "1234", mb::IconInformation, true},
        {"a positive result is an accepted one", "5", {200, " 88.5"}, 1003, success + "88", mb::IconInformation,
         true},
        {"balance page failing", "0", {500, "boom"}, 1003, "充值成功.", mb::IconInformation, true},
        {"balance page without a count", "0", {200, "-2"}, 1003, "充值成功.", mb::IconInformation, true},
        {"refused", "-2", {200, "1234"}, kStayedOpen, "-2", 0, false},  // the call's own box
    };
    // Letters in the number are the service's to judge.
    const QString cardNo = QStringLiteral("ABCDEFGH123456789");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_boxes->clear();
        m_main->clear();
        m_backup->clear();
        m_main->script("ChargUp", LoopbackAnswer::Text(c.result));
        m_backup->scriptPage("/GetBalance.ashx", c.balance);

        CDlgRecharge dlg;
        Fill(dlg, {{"1014", cardNo}, {"21015", "a1b2c3"}});
        Click(dlg, "1");
        EXPECT_EQ(dlg.result(), c.dialogResult);
        const auto shown = m_boxes->shown();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, c.box);
        if (c.icon) {
            EXPECT_EQ(shown[0].type & mb::IconMask, c.icon);
        }
        EXPECT_EQ(m_backup->pageRequests().size(), c.balanceAsked ? 1u : 0u);

        const auto calls = m_main->calls("ChargUp");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].field("cardno"), cardNo.toStdString());
        EXPECT_EQ(calls[0].field("cardpwd"), "a1b2c3");
    }
}

} // namespace
