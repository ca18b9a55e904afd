// The entry dialogs (fax numbers, addresses, a group name, mobile numbers),
// the bare data-split dialog and the number-location launcher.
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/string_table.h"
#include "gui/contacts/add_tel_code_dialog.h"
#include "gui/contacts/data_split_dialog.h"
#include "gui/contacts/entry_dialogs.h"
#include "gui/contacts/number_location.h"
#include "gui/main/app_control.h"
#include "platform/url_open.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/hash_virtual_list.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The one text box of each entry dialog, whatever its kind.
void SetBoxText(QDialog& dialog, const QString& text) {
    if (auto* rich = dialog.findChild<QTextEdit*>())
        rich->setPlainText(text);
    else
        Child<QLineEdit>(dialog, "1014")->setText(text);
}

struct EntryKind {
    const char* name;
    std::function<std::unique_ptr<CEntryDialog>()> make;
};

const std::vector<EntryKind>& EntryKinds() {
    static const std::vector<EntryKind> kinds = {
        {"fax", [] { return std::make_unique<CDlgAddFaxNO>(); }},
        {"mail", [] { return std::make_unique<CDlgAddMailAddr>(); }},
        {"group", [] { return std::make_unique<CDlgAddGroup>(); }},
        {"numbers", [] { return std::make_unique<CDlgAddTelCode>(); }},
    };
    return kinds;
}

// Logged in as given for the test's lifetime; nobody when the rights are empty.
class LoginAs {
public:
    explicit LoginAs(const QStringList& rights) {
        if (!rights.isEmpty())
            g_pLoginRights = std::make_unique<QStringList>(rights);
        else
            g_pLoginRights.reset();
    }
    ~LoginAs() { g_pLoginRights.reset(); }
};

// The contact editor as button 1142 reaches it, answering `result`.
class EditorStub {
public:
    explicit EditorStub(int result) {
        m_previous = CDlgAddTelCode::s_openNewContact;
        CDlgAddTelCode::s_openNewContact = [this, result](QWidget*, const QString& mobile) {
            opened << mobile;
            return result;
        };
    }
    ~EditorStub() { CDlgAddTelCode::s_openNewContact = m_previous; }
    QStringList opened;

private:
    CDlgAddTelCode::NewContactOpener m_previous;
};

TEST(EntryDialogs, OkHandsTheTextOverTrimmedAndRefusesBlanks) {
    for (const EntryKind& kind : EntryKinds()) {
        SCOPED_TRACE(kind.name);
        MessageBoxRecorder boxes;
        std::unique_ptr<CEntryDialog> dialog = kind.make();
        SetBoxText(*dialog, QStringLiteral("  \n "));
        Click(*dialog, "1");
        EXPECT_EQ(dialog->result(), kStayedOpen);
        EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("内容不能为空.")});

        const bool multiLine = dialog->findChild<QTextEdit*>() != nullptr;
        const QString typed = multiLine ? QStringLiteral("  a@b.cn\nc@d.cn\r\n\n 01088888888-808 \n")
                                        : QStringLiteral("  新分组 ");
        SetBoxText(*dialog, typed);
        Click(*dialog, "1");
        EXPECT_EQ(dialog->result(), 1003);
        EXPECT_EQ(dialog->m_text, multiLine ? QStringLiteral("a@b.cn\r\nc@d.cn\r\n\r\n 01088888888-808")
                                            : QStringLiteral("新分组"));
        EXPECT_EQ(boxes.texts().size(), 1) << "nothing more was said";
    }
}

TEST(EntryDialogs, CancelAsksOnlyWhenSomethingWasTyped) {
    const struct {
        const char* typed;
        std::vector<int> answers;
        int asked;
        int result;
    } cases[] = {
        {"", {}, 0, 1002},
        {" \r\n\t ", {}, 0, 1002},
        {"13800138000", {IDNO}, 1, kStayedOpen},
        {"13800138000", {IDYES}, 1, 1002},
    };
    for (const EntryKind& kind : EntryKinds()) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(kind.name) + " '" + c.typed + "'");
            MessageBoxRecorder boxes;
            for (int a : c.answers)
                boxes.queueAnswer(a);
            std::unique_ptr<CEntryDialog> dialog = kind.make();
            SetBoxText(*dialog, QString::fromUtf8(c.typed));
            Click(*dialog, "2");
            EXPECT_EQ(dialog->result(), c.result);
            ASSERT_EQ(static_cast<int>(boxes.shown().size()), c.asked);
            if (c.asked) {
                EXPECT_EQ(boxes.shown()[0].text, QStringLiteral("确定退出?"));
                EXPECT_EQ(boxes.shown()[0].title, QStringLiteral("退出确认"));
            }
        }
    }
    // Esc takes the same road.
    MessageBoxRecorder boxes;
    CDlgAddGroup group;
    SendKey(&group, Qt::Key_Escape);
    EXPECT_EQ(group.result(), 1002);
    EXPECT_TRUE(boxes.shown().empty());

    // A quit of the program ends an edited entry without a question.
    CDlgAddGroup edited;
    SetBoxText(edited, QStringLiteral("Team"));
    edited.show();
    RequestQuit();
    ClearQuitRequest();
    EXPECT_EQ(edited.result(), 1002);
    EXPECT_TRUE(boxes.shown().empty());
}

TEST(EntryDialogs, NumbersGoIntoTheOpenersList) {
    MessageBoxRecorder boxes;
    HashVirtualList list;
    const qint64 listed = 13900139000LL;
    list.SetItem(0, &listed, nullptr);
    CDlgAddTelCode dialog;
    dialog.m_numberList = &list;
    Child<QTextEdit>(dialog, "21021")
        ->setPlainText(QStringLiteral("13800138000 张三\n0085212345678\n2085212345678\n12999999999\n"
                                      "20000000000\n13800138000\n13900139000\n"));
    Click(dialog, "1");
    EXPECT_EQ(dialog.result(), 1003);
    ASSERT_EQ(list.GetCount(), 4);
    EXPECT_EQ(list.GetKey(1), 13800138000LL);
    EXPECT_EQ(list.GetKey(2), 20085212345678LL);
    EXPECT_EQ(list.GetKey(3), 20000000000LL);
    // The list's own tallies cover the row it held before and the new ones.
    EXPECT_EQ(list.DomesticCount(), 3);
    EXPECT_EQ(list.InternationalCount(), 1);
    EXPECT_TRUE(boxes.shown().empty());

    // Without a list the text is only handed over.
    CDlgAddTelCode bare;
    Child<QTextEdit>(bare, "21021")->setPlainText(QStringLiteral("13800138000\n"));
    Click(bare, "1");
    EXPECT_EQ(bare.result(), 1003);
    EXPECT_EQ(bare.m_text, QStringLiteral("13800138000"));
}

TEST(EntryDialogs, AddToContactsIsForAdministratorsOnly) {
    const struct {
        const char* who;
        QStringList rights;
        bool shown;
    } cases[] = {
        {"administrator", {QStringLiteral("ADsecret")}, true},
        {"operator with rights",
         {QStringLiteral("OPsecret"), QStringLiteral("1"), QStringLiteral("1")},
         false},
        {"operator without rights", {QStringLiteral("OPsecret")}, false},
        {"nobody logged in", {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.who);
        LoginAs login(c.rights);
        CDlgAddTelCode dialog;
        EXPECT_EQ(!Child<QPushButton>(dialog, "1142")->isHidden(), c.shown);
    }
}

TEST(EntryDialogs, AddToContactsTakesOneLegalNumber) {
    LoginAs login({QStringLiteral("ADsecret")});
    const struct {
        const char* typed;
        int editorResult;
        QString said;
        const char* opened;
        int result;
    } cases[] = {
        {"12345678901234567", 1003, LoadStr(163), nullptr, kStayedOpen},
        {"13800138000\n13900139000", 1003, LoadStr(163), nullptr, kStayedOpen},
        {"abc", 1003, LoadStr(164), nullptr, kStayedOpen},
        {"", 1003, LoadStr(164), nullptr, kStayedOpen},
        {"2085212345678", 1003, LoadStr(164), nullptr, kStayedOpen},
        {" 13800138000 ", IDCANCEL, QString(), "13800138000", kStayedOpen},
        {"0085212345678", 1003, QString(), "0085212345678", 1003},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        MessageBoxRecorder boxes;
        EditorStub editor(c.editorResult);
        HashVirtualList list;
        CDlgAddTelCode dialog;
        dialog.m_numberList = &list;
        Child<QTextEdit>(dialog, "21021")->setPlainText(QString::fromUtf8(c.typed));
        Click(dialog, "1142");
        EXPECT_EQ(boxes.texts(), c.said.isEmpty() ? QStringList() : QStringList{c.said});
        EXPECT_EQ(editor.opened, c.opened ? QStringList{QString::fromUtf8(c.opened)} : QStringList());
        EXPECT_EQ(dialog.result(), c.result);
        // A saved contact ends the dialog as OK does: its number is in the list.
        EXPECT_EQ(list.GetCount(), c.result == 1003 ? 1 : 0);
    }
    EXPECT_EQ(LoadStr(163), QStringLiteral("只能将一个号码添加至联系人！"));
    EXPECT_EQ(LoadStr(164), QStringLiteral("号码为空或是非法手机号码，请重新填写！"));
}

TEST(EntryDialogs, DataSplitOnlyCloses) {
    const struct {
        const char* button;
        int result;
    } cases[] = {{"1", IDOK}, {"2", IDCANCEL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        MessageBoxRecorder boxes;
        CDlgDataSplit dialog;
        Click(dialog, c.button);
        EXPECT_EQ(dialog.result(), c.result);
        EXPECT_TRUE(boxes.shown().empty());
    }
    CDlgDataSplit dialog;
    const QStringList texts = ShownTexts(dialog);
    for (const char* text :
         {"分割", "取消", "1.只处理发送成功记录和发送失败记录.", "2.分割后有利于提高运行速度."})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
}

// The browser as the launcher reaches it: records each address and answers
// `opens`.
class NumberLocation : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = SetUrlOpener([this](const QString& url) {
            m_opened << url;
            return m_opens;
        });
    }
    void TearDown() override { SetUrlOpener(m_previous); }
    void Configure(const QByteArray& host) {
        m_folder.writeFile(QStringLiteral("ServerInfo.ini"),
                           "[Deployment]\r\nNumberLocationHost=" + host + "\r\n");
    }

    ProgramFolder m_folder;
    QStringList m_opened;
    bool m_opens = true;
    UrlOpener m_previous;
};

TEST_F(NumberLocation, OpensTheConfiguredPage) {
    MessageBoxRecorder boxes;
    Configure("127.0.0.1:8080");
    EXPECT_TRUE(CDlgTelNumAttri::Open(nullptr));
    EXPECT_EQ(m_opened, QStringList{QStringLiteral("http://127.0.0.1:8080/Locating/query.aspx?m=")});
    EXPECT_TRUE(boxes.shown().empty());

    m_opens = false;
    EXPECT_FALSE(CDlgTelNumAttri::Open(nullptr));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("无法打开网页")});
}

TEST_F(NumberLocation, WithoutAHostNothingOpens) {
    const struct {
        const char* why;
        QByteArray ini;
    } cases[] = {
        {"no settings file", QByteArray()},
        {"empty key", "[Deployment]\r\nNumberLocationHost=\r\n"},
        {"a host under .invalid", "[Deployment]\r\nNumberLocationHost=where.example.invalid:81\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        QFile::remove(m_folder.file(QStringLiteral("ServerInfo.ini")));
        if (!c.ini.isEmpty())
            m_folder.writeFile(QStringLiteral("ServerInfo.ini"), c.ini);
        MessageBoxRecorder boxes;
        OpenNumberLocation(nullptr);
        EXPECT_TRUE(m_opened.isEmpty());
        EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("手机号归属地查询地址未配置")});
    }
    EXPECT_TRUE(IsRefusedHost(DeploymentDefault(DeploymentKey::NumberLocationHost)));
}

TEST(EntryDialogsScreenshots, AddTelCode) {
    const char* dir = std::getenv("CORVELANE_SCREENSHOT_DIR");
    if (!dir || !*dir)
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR is not set";
    LoginAs login({QStringLiteral("ADsecret")});
    CDlgAddTelCode dialog;
    Child<QTextEdit>(dialog, "21021")
        ->setPlainText(QStringLiteral("13800138000\n13912345678 张三\n0085212345678\n"));
    dialog.show();
    const QString file = QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("add-tel-code.png"));
    EXPECT_TRUE(dialog.grab().save(file));
}

} // namespace
