// The login dialog in its two modes: the login at start (reading accountInfo
// into the rights array) and the change of a login password.
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/login_accounts.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/login_dialog.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

class LoginDialogTest : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        m_title = g_strAppTitle;
        g_strAppTitle = QStringLiteral("测试短信");
        m_boxes = std::make_unique<MessageBoxRecorder>();
    }
    void TearDown() override {
        m_boxes.reset();
        g_pLoginRights.reset();
        g_strAppTitle = m_title;
        ProgramFolderTest::TearDown();
    }

    static void exec(const char* sql) { ASSERT_EQ(ExecSql(nullptr, g_pDB, sql), SQLITE_OK) << sql; }
    static void setValue(const QString& name, const QString& value) {
        SqlStatement st(g_pDB, "UPDATE accountInfo SET fieldValue=?1 WHERE fieldName=?2");
        ASSERT_EQ(st.bind(1, value).bind(2, name).exec(), SQLITE_OK);
        ASSERT_EQ(sqlite3_changes(g_pDB), 1) << name.toStdString();
    }
    // Every value stored under the name, in row order.
    static QStringList values(const QString& name) {
        SqlStatement st(g_pDB, "SELECT fieldValue FROM accountInfo WHERE fieldName=?1 ORDER BY rowid");
        st.bind(1, name);
        QStringList out;
        while (st.step() == SQLITE_ROW)
            out << st.qtext(0);
        return out;
    }

    struct Outcome {
        int result;
        std::unique_ptr<QStringList> rights;
    };
    // Logs in as the kind of the radio button `kindId` with the password typed.
    static Outcome login(const char* kindId, const QString& password) {
        CDlgModifyLogPW dlg(true);
        Click(dlg, kindId);
        Type(Child<QLineEdit>(dlg, "1014"), password);
        Click(dlg, "1");
        return {dlg.result(), dlg.takeRights()};
    }

    QString m_title;
    std::unique_ptr<MessageBoxRecorder> m_boxes;
};

// ---------------------------------------------------------------- login mode

TEST_F(LoginDialogTest, LoginModeShowsOnlyThePasswordBox) {
    CDlgModifyLogPW dlg(true);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("测试短信--") + LoadStr(102));
    EXPECT_EQ(Child<QLabel>(dlg, "1114")->text(), LoadStr(103));
    EXPECT_EQ(Child<QLabel>(dlg, "1113")->text(), LoadStr(104));
    EXPECT_EQ(Child<QPushButton>(dlg, "1")->text(), LoadStr(102));
    EXPECT_TRUE(Child<QRadioButton>(dlg, "1023")->isChecked());
    EXPECT_FALSE(Child<QLineEdit>(dlg, "1014")->isHidden());
    for (const char* id : {"1015", "1016", "1115", "1116"})
        EXPECT_TRUE(Child<QWidget>(dlg, id)->isHidden()) << id;

    CDlgModifyLogPW change(false, nullptr);
    EXPECT_EQ(change.windowTitle(), QStringLiteral("修改登录密码"));
    for (const char* id : {"1014", "1114"})
        EXPECT_TRUE(Child<QWidget>(change, id)->isHidden()) << id;
    for (const char* id : {"1015", "1016"})
        EXPECT_FALSE(Child<QWidget>(change, id)->isHidden()) << id;

    // No box takes a 21st character, in either mode.
    const QString typed(25, QLatin1Char('x'));
    for (CDlgModifyLogPW* d : {&dlg, &change}) {
        for (const char* id : {"1014", "1015", "1016"}) {
            QLineEdit* edit = Child<QLineEdit>(*d, id);
            Type(edit, typed);
            EXPECT_EQ(edit->text(), typed.left(20)) << id;
        }
    }
}

TEST_F(LoginDialogTest, ChangeModeMakesNoClaimAboutTheInitialPassword) {
    // By the time a password is changed, someone has logged in: the initial
    // password may be anything, so the tip of the login is not shown.
    const QStringList administrator{"AD"};
    const QStringList operatorRights{"OPx", "1"};
    for (const QStringList* rights :
         {static_cast<const QStringList*>(nullptr), &administrator, &operatorRights}) {
        CDlgModifyLogPW change(false, rights);
        EXPECT_EQ(Child<QLabel>(change, "1113")->text(), QString())
            << (rights ? rights->front().toStdString() : "none");
    }
    CDlgModifyLogPW login(true);
    EXPECT_EQ(Child<QLabel>(login, "1113")->text(), LoadStr(104));
}

TEST_F(LoginDialogTest, LoginOutcomes) {
    const struct {
        const char* name;
        const char* setup;  // SQL run first
        const char* kind;
        QString typed;
        int result;
        QString element0;  // of the rights array after 1003
        QString box;
        unsigned icon;
    } cases[] = {
        {"initial administrator, empty box", "", "1023", "", 1003, "AD", {}, 0},
        {"initial administrator, anything typed", "", "1023", "x", kStayedOpen, {}, LoadStr(217), mb::IconWarning},
        {"initial operator", "", "1024", "", 1003, "OP", {}, 0},
        {"administrator password", "UPDATE accountInfo SET fieldValue='ADpw' WHERE fieldName='0'", "1023",
         "pw", 1003, "ADpw", {}, 0},
        {"password compared exactly", "UPDATE accountInfo SET fieldValue='ADpw' WHERE fieldName='0'", "1023",
         "PW", kStayedOpen, {}, LoadStr(217), mb::IconWarning},
        {"operator password is not the administrator's",
         "UPDATE accountInfo SET fieldValue='OPop' WHERE fieldName='1'", "1024", "", kStayedOpen, {},
         LoadStr(217), mb::IconWarning},
        {"operator row missing", "DELETE FROM accountInfo WHERE fieldName='1'", "1024", "", kStayedOpen, {},
         LoadStr(216), mb::IconWarning},
        {"operator row claiming the administrator",
         "UPDATE accountInfo SET fieldValue='ADx' WHERE fieldName='1'", "1024", "x", kStayedOpen, {},
         LoadStr(216), mb::IconWarning},
        {"empty accountInfo", "DELETE FROM accountInfo", "1023", "", kStayedOpen, {}, LoadStr(216),
         mb::IconWarning},
        {"unreadable accountInfo", "DROP TABLE accountInfo", "1023", "", kStayedOpen, {}, LoadStr(215),
         mb::IconError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDatabase();
        QFile::remove(SystemDatabasePath());
        ASSERT_EQ(OpenDatabase(), 0);
        if (*c.setup)
            exec(c.setup);
        m_boxes->clear();

        const Outcome out = login(c.kind, c.typed);
        EXPECT_EQ(out.result, c.result);
        if (c.result == 1003) {
            ASSERT_TRUE(out.rights);
            EXPECT_EQ(out.rights->size(), 21);
            EXPECT_EQ(out.rights->value(0), c.element0);
        } else {
            EXPECT_FALSE(out.rights) << "a failed login hands out no rights";
        }
        const auto shown = m_boxes->shown();
        if (c.box.isEmpty()) {
            EXPECT_TRUE(shown.empty());
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown[0].text, c.box);
            EXPECT_EQ(shown[0].type & mb::IconMask, c.icon);
        }
    }
}

TEST_F(LoginDialogTest, OperatorRightsAreTakenByName) {
    // The rows arrive out of order, right 6 is missing and foreign rows sit
    // between them: every right must still land in its own element.
    exec("DELETE FROM accountInfo WHERE fieldName LIKE 'name%'");
    QStringList expected{"OPop"};
    setValue("1", "OPop");
    for (int right = kRightCount; right >= 1; --right) {
        const QString flag = right % 4 == 0 ? QStringLiteral("0") : QStringLiteral("1");
        if (right != 6) {
            SqlStatement st(g_pDB, "INSERT INTO accountInfo (fieldName, fieldValue) VALUES (?1, ?2)");
            ASSERT_EQ(st.bind(1, RightFieldName(right)).bind(2, flag).exec(), SQLITE_OK);
        }
        if (right == 12)
            exec("INSERT INTO accountInfo (fieldName, fieldValue) VALUES ('name6', '1'), ('other', '1')");
    }
    for (int right = 1; right <= kRightCount; ++right)
        expected << (right == 6 || right % 4 == 0 ? QStringLiteral("0") : QStringLiteral("1"));

    Outcome out = login("1024", "op");
    ASSERT_EQ(out.result, 1003);
    ASSERT_TRUE(out.rights);
    EXPECT_EQ(*out.rights, expected);

    // The array is what the rights check reads for the rest of the session.
    g_pLoginRights = std::move(out.rights);
    EXPECT_FALSE(IsRightDenied(1));
    EXPECT_TRUE(IsRightDenied(4));
    EXPECT_TRUE(IsRightDenied(6));
    EXPECT_FALSE(IsRightDenied(7));
    EXPECT_TRUE(IsRightDenied(20));
    EXPECT_TRUE(IsRightDenied(-1));
}

// ---------------------------------------------------------------- change mode

TEST_F(LoginDialogTest, ChangeStoresThePasswordAsTyped) {
    const QStringList administrator{"AD"};
    const struct {
        const char* kind;
        QString password;
        const char* field;
        const char* otherField;
        QString value;
    } cases[] = {
        {"1023", "it's\"x", "0", "1", "ADit's\"x"},
        {"1024", "op' OR '1'='1", "1", "0", "OPop' OR '1'='1"},
        {"1023", "", "0", "1", "AD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        m_boxes->clear();
        const QStringList otherBefore = values(c.otherField);
        {
            CDlgModifyLogPW dlg(false, &administrator);
            Click(dlg, c.kind);
            Type(Child<QLineEdit>(dlg, "1015"), c.password);
            Type(Child<QLineEdit>(dlg, "1016"), c.password);
            Click(dlg, "1");
            EXPECT_EQ(dlg.result(), 1003);
        }
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(219)});
        EXPECT_EQ(m_boxes->shown()[0].type & mb::IconMask, mb::IconInformation);
        EXPECT_EQ(values(c.field), QStringList{c.value});
        EXPECT_EQ(values(c.otherField), otherBefore);

        // The new password opens the login.
        m_boxes->clear();
        const Outcome out = login(c.kind, c.password);
        EXPECT_EQ(out.result, 1003);
        EXPECT_TRUE(m_boxes->texts().isEmpty());
    }
}

TEST_F(LoginDialogTest, FailedChangeStaysOpenAndStoresNothing) {
    const QStringList administrator{"AD"};
    const struct {
        const char* name;
        const char* setup;
        QString newPassword;
        QString confirm;
        QStringList boxes;
        bool logged;
        QStringList stored;  // the administrator rows afterwards
    } cases[] = {
        {"confirmation differs", "", "abc", "abd", {LoadStr(218)}, false, {"AD"}},
        {"row missing", "DELETE FROM accountInfo WHERE fieldName='0'", "abc", "abc", {}, true, {}},
        // Two rows of one name: the change must not pass, nor touch either.
        {"row doubled",
         "DROP INDEX index_fieldName; INSERT INTO accountInfo (fieldName, fieldValue) VALUES ('0', 'ADold')",
         "abc", "abc", {}, true, {"AD", "ADold"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDatabase();
        QFile::remove(SystemDatabasePath());
        ASSERT_EQ(OpenDatabase(), 0);
        if (*c.setup)
            exec(c.setup);
        m_boxes->clear();
        const qsizetype linesBefore = runLog().count(QStringLiteral("更新操作员权限出错了"));

        CDlgModifyLogPW dlg(false, &administrator);
        Type(Child<QLineEdit>(dlg, "1015"), c.newPassword);
        Type(Child<QLineEdit>(dlg, "1016"), c.confirm);
        Click(dlg, "1");
        EXPECT_EQ(dlg.result(), kStayedOpen);
        EXPECT_EQ(m_boxes->texts(), c.boxes);
        EXPECT_EQ(runLog().count(QStringLiteral("更新操作员权限出错了")) - linesBefore, c.logged ? 1 : 0);
        EXPECT_EQ(values("0"), c.stored);
    }
}

TEST_F(LoginDialogTest, OnlyTheAdministratorMayChangeTheAdministratorPassword) {
    const QStringList operatorRights{"OPop", "1"};
    const QStringList administratorRights{"ADpw", "1"};
    const struct {
        const char* name;
        const QStringList* rights;
        bool mayChooseAdministrator;
    } cases[] = {
        {"operator", &operatorRights, false},
        {"no rights given", nullptr, false},
        {"administrator", &administratorRights, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDlgModifyLogPW dlg(false, c.rights);
        auto* admin = Child<QRadioButton>(dlg, "1023");
        EXPECT_EQ(admin->isEnabled(), c.mayChooseAdministrator);
        EXPECT_EQ(admin->isChecked(), c.mayChooseAdministrator);
        EXPECT_EQ(Child<QRadioButton>(dlg, "1024")->isChecked(), !c.mayChooseAdministrator);
    }

    // A click on the disabled button changes nothing: the operator's row is written.
    CDlgModifyLogPW dlg(false, &operatorRights);
    Click(dlg, "1023");
    Type(Child<QLineEdit>(dlg, "1015"), QStringLiteral("new"));
    Type(Child<QLineEdit>(dlg, "1016"), QStringLiteral("new"));
    Click(dlg, "1");
    EXPECT_EQ(dlg.result(), 1003);
    EXPECT_EQ(values("0"), QStringList{"AD"});
    EXPECT_EQ(values("1"), QStringList{"OPnew"});
}

// ---------------------------------------------------------------- modal run

TEST_F(LoginDialogTest, ModalResults) {
    // The start window runs the login modally: OK, Esc and the close box.
    const std::function<void(CDlgModifyLogPW&)> actions[] = {
        [](CDlgModifyLogPW& d) { Click(d, "1"); },
        [](CDlgModifyLogPW& d) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&d, &esc);
        },
        [](CDlgModifyLogPW& d) { d.close(); },
        [](CDlgModifyLogPW& d) { Click(d, "2"); },
    };
    const int results[] = {1003, 1002, 1002, 1002};
    for (size_t i = 0; i < std::size(actions); ++i) {
        SCOPED_TRACE(i);
        CDlgModifyLogPW dlg(true);
        QTimer::singleShot(0, &dlg, [&] {
            actions[i](dlg);
            if (dlg.isVisible())
                dlg.done(-1);  // the action did not end it
        });
        EXPECT_EQ(dlg.exec(), results[i]);
        EXPECT_EQ(dlg.takeRights() != nullptr, results[i] == 1003);
    }
}

} // namespace
