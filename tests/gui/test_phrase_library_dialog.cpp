// The phrase library window: its refusals, saving over the chosen phrase or
// adding one, the state after a delete, group names cut to ten characters,
// deleting a group from its menu, and the three ways it is opened: the
// composer's two buttons and the main menu, which opens the composer with
// the chosen phrase.
#include "core/app_globals.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/main/main_window.h"
#include "gui/sms/msg_lib_dialog.h"
#include "gui/sms/send_sms_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/ini.h"
#include "sms/phrase_library.h"
#include "sms/row_sources.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"
#include "tests/support/program_folder.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QTreeWidget* Tree(QWidget& d) {
    return Child<QTreeWidget>(d, "1000");
}
QTableWidget* List(QWidget& d) {
    return Child<QTableWidget>(d, "1043");
}
QTextEdit* Editor(QWidget& d) {
    return Child<QTextEdit>(d, "31029");
}
QTreeWidgetItem* GroupItem(QWidget& d, int id) {
    for (QTreeWidgetItemIterator it(Tree(d)); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toInt() == id)
            return *it;
    return nullptr;
}
// Clicks the group as a user would: it becomes the selected item.
void SelectGroup(CDlgMsgLib& d, int id) {
    QTreeWidgetItem* item = GroupItem(d, id);
    ASSERT_NE(item, nullptr) << "no group " << id;
    Tree(d)->setCurrentItem(item);
}
QStringList ListTexts(QWidget& d) {
    QStringList texts;
    for (int row = 0; row < List(d)->rowCount(); ++row)
        texts << List(d)->item(row, 0)->text();
    return texts;
}

class PhraseLibraryDialog : public ProgramFolderTest {
protected:
    void TearDown() override {
        SetModalRunner({});
        SetUiLanguage(kLangChinese);
        ProgramFolderTest::TearDown();
    }
    static void Exec(const std::string& sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }
    // Two groups under "常用短语" (one inside the other), one under
    // "自定义分组" whose child is listed first, and their phrases.
    static void Seed() {
        Exec("INSERT INTO smsSourceGroup (recID,parentID,content) VALUES "
             "('10','2','问候'),('11','10','节日'),('41','40','晚到'),('40','3','客户');"
             "INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES "
             "(5,10,'早上好','2012-05-01 08:30'),(3,10,'晚上好','2012-05-01 08:31'),"
             "(4,11,'节日快乐','2012-05-01 08:32'),(6,41,'欢迎再来','2012-05-01 08:33');");
    }
    static std::vector<std::string> Phrases(int group) {
        return QueryRows(g_pDB, "SELECT content FROM smsSourceContent WHERE parentID=" +
                                    std::to_string(group) + " ORDER BY rowid");
    }

    MessageBoxRecorder m_boxes;
};

TEST_F(PhraseLibraryDialog, OpensWithRootsGroupsAndCentredHeaders) {
    Seed();
    CDlgMsgLib dialog;
    dialog.SetText(QStringLiteral("预置"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("短语库"));
    QTreeWidget* tree = Tree(dialog);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("常用短语"));
    EXPECT_EQ(tree->topLevelItem(1)->text(0), QStringLiteral("自定义分组"));
    EXPECT_TRUE(tree->topLevelItem(0)->isExpanded() && tree->topLevelItem(1)->isExpanded());
    ASSERT_NE(GroupItem(dialog, 41), nullptr);
    EXPECT_EQ(GroupItem(dialog, 41)->parent(), GroupItem(dialog, 40));
    EXPECT_EQ(GroupItem(dialog, 11)->parent(), GroupItem(dialog, 10));
    EXPECT_EQ(GroupItem(dialog, 10)->parent(), tree->topLevelItem(0));
    EXPECT_EQ(dialog.CurrentGroup(), -1);
    EXPECT_EQ(Editor(dialog)->toPlainText(), QStringLiteral("预置"));
    EXPECT_EQ(Child<QLineEdit>(dialog, "1004")->maxLength(), 10);

    QHeaderView* header = List(dialog)->horizontalHeader();
    EXPECT_EQ(List(dialog)->horizontalHeaderItem(0)->text(), QStringLiteral("短语内容"));
    EXPECT_EQ(List(dialog)->horizontalHeaderItem(1)->text(), QStringLiteral("创建时间"));
    EXPECT_EQ(header->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);

    // A group shows its phrases in the order they were stored, with the count.
    SelectGroup(dialog, 10);
    EXPECT_EQ(dialog.CurrentGroup(), 10);
    EXPECT_EQ(ListTexts(dialog), (QStringList{"早上好", "晚上好"}));
    EXPECT_EQ(List(dialog)->item(1, 1)->text(), QStringLiteral("2012-05-01 08:31"));
    EXPECT_EQ(Child<QLabel>(dialog, "1104")->text(), QStringLiteral("当前共有条数: 2"));
    // Choosing a row shows its text in the editor.
    List(dialog)->selectRow(1);
    EXPECT_EQ(dialog.CurrentRow(), 1);
    EXPECT_EQ(Editor(dialog)->toPlainText(), QStringLiteral("晚上好"));
}

// Each case: the group chosen (0: none), the editor's text, the button, and
// the box it gives (warning icon), with nothing stored.
TEST_F(PhraseLibraryDialog, Refusals) {
    Seed();
    const struct {
        const char* what;
        int group;
        const char* text;
        const char* button;
        int string;
    } cases[] = {
        {"save without a group", 0, "你好", "21022", 224},
        {"save into 常用短语", 2, "你好", "21022", 225},
        {"save into 自定义分组", 3, "你好", "21022", 225},
        {"save an empty text", 10, "", "21022", 151},
        {"delete without a phrase", 10, "你好", "21024", 180},
        {"delete without a group", 0, "", "21024", 180},
        {"add a group without a name", 0, "", "1021", 226},
    };
    const std::vector<std::string> before = QueryRows(g_pDB, "SELECT * FROM smsSourceContent");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDlgMsgLib dialog;
        if (c.group)
            SelectGroup(dialog, c.group);
        Editor(dialog)->setPlainText(QString::fromUtf8(c.text));
        Child<QLineEdit>(dialog, "1004")->setText(QStringLiteral("   "));
        m_boxes.clear();
        Click(dialog, c.button);
        EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(c.string)});
        if (!m_boxes.shown().empty()) {
            EXPECT_EQ(m_boxes.shown().front().type & mb::IconMask, mb::IconWarning);
        }
    }
    EXPECT_EQ(QueryRows(g_pDB, "SELECT * FROM smsSourceContent"), before);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM smsSourceGroup"), 4);
}

TEST_F(PhraseLibraryDialog, SaveOverwritesTheChosenPhraseAndAddsAfterAReload) {
    Seed();
    CDlgMsgLib dialog;
    SelectGroup(dialog, 10);
    List(dialog)->selectRow(0);
    Editor(dialog)->setPlainText(QStringLiteral("O'Brien 早"));
    Click(dialog, "21022");
    EXPECT_EQ(Phrases(10), (std::vector<std::string>{"O'Brien 早", "晚上好"}));
    const std::string time = QueryRows(g_pDB, "SELECT creatTime FROM smsSourceContent WHERE recID=5").front();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d$"))
                    .match(QString::fromStdString(time))
                    .hasMatch())
        << time;
    EXPECT_EQ(ListTexts(dialog), (QStringList{"O'Brien 早", "晚上好"}));

    // The save reloaded the list: nothing is chosen, so the next save adds.
    EXPECT_EQ(dialog.CurrentPhrase(), -1);
    Editor(dialog)->setPlainText(QStringLiteral("'; DROP TABLE smsSourceContent;--"));
    Click(dialog, "21022");
    EXPECT_EQ(Phrases(10),
              (std::vector<std::string>{"O'Brien 早", "晚上好", "'; DROP TABLE smsSourceContent;--"}));
    EXPECT_EQ(ListTexts(dialog).last(), QStringLiteral("'; DROP TABLE smsSourceContent;--"));
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(PhraseLibraryDialog, AfterADeleteNothingIsChosenAndSaveAdds) {
    Seed();
    CDlgMsgLib dialog;
    dialog.show();
    SelectGroup(dialog, 10);
    List(dialog)->selectRow(0);
    Click(dialog, "21024");
    EXPECT_EQ(Phrases(10), std::vector<std::string>{"晚上好"});
    EXPECT_EQ(ListTexts(dialog), QStringList{"晚上好"});
    EXPECT_EQ(dialog.CurrentPhrase(), -1);
    EXPECT_EQ(dialog.CurrentRow(), -1);
    EXPECT_TRUE(List(dialog)->selectedItems().isEmpty()) << "the neighbour is not chosen for the user";
    EXPECT_EQ(Child<QLabel>(dialog, "1104")->text(), QStringLiteral("当前共有条数: 1"));

    // The deleted text is still in the editor: saving adds it again and
    // leaves the other phrase alone.
    Click(dialog, "21022");
    EXPECT_EQ(Phrases(10), (std::vector<std::string>{"晚上好", "早上好"}));

    // A second delete is refused until a phrase is chosen again.
    m_boxes.clear();
    Click(dialog, "21024");
    EXPECT_EQ(m_boxes.texts(), QStringList{LoadStr(180)});

    // The last phrase gone, the editor is empty.
    SelectGroup(dialog, 11);
    List(dialog)->selectRow(0);
    Click(dialog, "21024");
    EXPECT_TRUE(Phrases(11).empty());
    EXPECT_TRUE(Editor(dialog)->toPlainText().isEmpty());
}

TEST_F(PhraseLibraryDialog, GroupNamesTakeTenCharacters) {
    CDlgMsgLib dialog;
    dialog.show();
    auto* box = Child<QLineEdit>(dialog, "1004");
    Type(box, QStringLiteral("一二三四五六七八九十X"));
    EXPECT_EQ(box->text(), QStringLiteral("一二三四五六七八九十"));
    Click(dialog, "1021");
    EXPECT_TRUE(box->text().isEmpty());

    box->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("abcdefghijklmnopqrst"));
    box->paste();
    EXPECT_EQ(box->text(), QStringLiteral("abcdefghij"));
    Click(dialog, "1021");

    EXPECT_EQ(QueryRows(g_pDB, "SELECT parentID,content FROM smsSourceGroup ORDER BY rowid"),
              (std::vector<std::string>{"3|一二三四五六七八九十", "3|abcdefghij"}));
    QTreeWidgetItem* custom = Tree(dialog)->topLevelItem(1);
    ASSERT_EQ(custom->childCount(), 2);
    EXPECT_EQ(custom->child(1)->text(0), QStringLiteral("abcdefghij"));
    EXPECT_GT(custom->child(0)->data(0, Qt::UserRole).toInt(), kPhraseRootCustom);
    EXPECT_TRUE(m_boxes.texts().isEmpty());
}

TEST_F(PhraseLibraryDialog, AGroupIsDeletedFromItsMenuWithEverythingBelowIt) {
    Seed();
    CDlgMsgLib dialog;
    EXPECT_EQ(dialog.GroupMenu(Tree(dialog)->topLevelItem(0)), nullptr) << "a root has no menu";
    EXPECT_EQ(dialog.GroupMenu(nullptr), nullptr);

    const auto deleteFromMenu = [&](int group) {
        std::unique_ptr<QMenu> menu = dialog.GroupMenu(GroupItem(dialog, group));
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(dialog.CurrentGroup(), group);
        auto* remove = menu->findChild<QAction*>(QStringLiteral("10001"));
        ASSERT_NE(remove, nullptr);
        EXPECT_EQ(remove->text(), QStringLiteral("删除"));
        remove->trigger();
    };

    // No: nothing changes.
    m_boxes.queueAnswer(IDNO);
    deleteFromMenu(10);
    ASSERT_EQ(m_boxes.texts(), QStringList{LoadStr(223)});
    EXPECT_EQ(m_boxes.shown().front().type, mb::YesNo | mb::IconQuestion);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM smsSourceGroup"), 4);

    // The delete fails on the subgroup's phrases: everything stays, also in
    // the window.
    Exec("CREATE TRIGGER refuse BEFORE DELETE ON smsSourceContent WHEN OLD.parentID=11 "
         "BEGIN SELECT RAISE(ABORT,'refused'); END");
    const std::vector<std::string> phrases = QueryRows(g_pDB, "SELECT rowid,* FROM smsSourceContent");
    deleteFromMenu(10);
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM smsSourceGroup"), 4);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT rowid,* FROM smsSourceContent"), phrases);
    EXPECT_NE(GroupItem(dialog, 11), nullptr);
    EXPECT_EQ(dialog.CurrentGroup(), 10);
    Exec("DROP TRIGGER refuse");

    Editor(dialog)->setPlainText(QStringLiteral("编辑中"));
    deleteFromMenu(10);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT recID FROM smsSourceGroup ORDER BY rowid"),
              (std::vector<std::string>{"41", "40"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT content FROM smsSourceContent"), std::vector<std::string>{"欢迎再来"});
    EXPECT_EQ(GroupItem(dialog, 10), nullptr);
    EXPECT_EQ(GroupItem(dialog, 11), nullptr);
    EXPECT_EQ(dialog.CurrentGroup(), -1);
    EXPECT_EQ(List(dialog)->rowCount(), 0);
    EXPECT_TRUE(Editor(dialog)->toPlainText().isEmpty());
}

TEST_F(PhraseLibraryDialog, ExitEscAndEnter) {
    const struct {
        const char* what;
        std::function<void(CDlgMsgLib&)> act;
        int result;
    } cases[] = {
        {"退出(&E)", [](CDlgMsgLib& d) { Click(d, "2"); }, 1002},
        {"Esc", [](CDlgMsgLib& d) { SendKey(&d, Qt::Key_Escape); }, 1002},
        {"close box", [](CDlgMsgLib& d) { d.close(); }, 1002},
        {"Enter, then 退出(&E)",
         [](CDlgMsgLib& d) {
             SendKey(Tree(d), Qt::Key_Return);
             EXPECT_TRUE(d.isVisible());
             Click(d, "2");
         },
         1002},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CDlgMsgLib dialog;
        QTimer::singleShot(0, &dialog, [&] { c.act(dialog); });
        EXPECT_EQ(dialog.exec(), c.result);
    }
}

TEST_F(PhraseLibraryDialog, SpeaksEnglish) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    CDlgMsgLib dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("SMS library"));
    EXPECT_EQ(Tree(dialog)->topLevelItem(0)->text(0), QStringLiteral("Common phrases"));
    for (const QString& shown : ShownTexts(dialog))
        EXPECT_FALSE(HasChinese(shown)) << shown.toStdString();
    SelectGroup(dialog, 2);
    EXPECT_FALSE(HasChinese(Child<QLabel>(dialog, "1104")->text()));
}

// ---- the three roads ---------------------------------------------------------------

// The runner plays the user in the library: picks group 10's second phrase
// (or types into the editor) and ends the way `end` says.
class PhraseLibraryRoads : public PhraseLibraryDialog {
protected:
    void SetUp() override {
        PhraseLibraryDialog::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN-PHRASES.ini"));
        Seed();
    }
    void TearDown() override {
        g_strAccountIni = m_savedIni;
        PhraseLibraryDialog::TearDown();
    }
    QString m_savedIni;
};

TEST_F(PhraseLibraryRoads, TheComposerCallsAndAddsPhrases) {
    const struct {
        const char* button;
        const char* end; // "choose" a phrase, "edit" the editor then choose, "exit"
        QString presetSeen;
        QString content;
    } cases[] = {
        {"1013", "choose", QString(), QStringLiteral("晚上好")},
        {"1013", "exit", QString(), QStringLiteral("原来的")},
        {"1012", "edit", QStringLiteral("原来的"), QStringLiteral("原来的，改过")},
        {"1012", "exit", QStringLiteral("原来的"), QStringLiteral("原来的")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.end);
        QString seen = QStringLiteral("<not opened>");
        SetModalRunner([&](QDialog& d) {
            auto* library = qobject_cast<CDlgMsgLib*>(&d);
            if (!library)
                return 2;
            seen = Editor(*library)->toPlainText();
            const std::string end = c.end;
            if (end == "exit") {
                Editor(*library)->setPlainText(QStringLiteral("不要的"));
                Click(*library, "2");
            } else if (end == "edit") {
                Editor(*library)->setPlainText(seen + QStringLiteral("，改过"));
                Click(*library, "21025");
            } else {
                SelectGroup(*library, 10);
                List(*library)->selectRow(1);
                Click(*library, "21025");
            }
            return library->result();
        });
        CDlgSendSMS composer(nullptr, 1);
        composer.SetPrefillContent(QStringLiteral("原来的"));
        composer.show();
        Click(composer, c.button);
        EXPECT_EQ(seen, c.presetSeen);
        EXPECT_EQ(Child<QTextEdit>(composer, "21021")->toPlainText(), c.content);
        composer.hide();
    }
}

class PhraseLibraryMenu : public ServiceTest {
protected:
    void TearDown() override {
        m_window.reset();
        SetModalRunner({});
        ReopenMessageBoxes();
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }
    std::unique_ptr<CCorvelaneDlg> m_window;
};

// "短语库" → "选择(&O)" opens the composer (a number list of its own kind)
// with the chosen phrase; "退出(&E)" opens nothing.
TEST_F(PhraseLibraryMenu, ChoosingAPhraseOpensTheComposerWithIt) {
    g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
    ini::WriteString(g_strAccountIni, QStringLiteral("SysSetting"), QStringLiteral("Auto7"),
                     QStringLiteral("1"));
    m_main->script("GetAllInfo2",
                   LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", "0"}, {"SERVICECODE", ""}}));
    std::string error;
    ASSERT_EQ(ExecSql(&error, g_pDB,
                      "INSERT INTO smsSourceGroup (recID,parentID,content) VALUES (10,2,'问候');"
                      "INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES "
                      "(1,10,'周末愉快','2012-05-01 08:30');"),
              SQLITE_OK)
        << error;

    for (const bool choose : {true, false}) {
        SCOPED_TRACE(choose ? "选择(&O)" : "退出(&E)");
        QStringList opened;
        QString composerText;
        SetModalRunner([&](QDialog& d) {
            opened << QString::fromLatin1(d.metaObject()->className());
            if (auto* library = qobject_cast<CDlgMsgLib*>(&d)) {
                EXPECT_EQ(library->parentWidget(), m_window.get());
                SelectGroup(*library, 10);
                List(*library)->selectRow(0);
                Click(*library, choose ? "21025" : "2");
                return library->result();
            }
            if (auto* composer = qobject_cast<CDlgSendSMS*>(&d)) {
                composer->show();
                composerText = Child<QTextEdit>(*composer, "21021")->toPlainText();
                EXPECT_NE(dynamic_cast<VIRTUAL_LIST_BUF*>(&composer->NumberList()), nullptr);
                composer->hide();
            }
            return 2;
        });
        if (!m_window) {
            m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(QStringList{"AD"}));
            m_window->show();
            ASSERT_TRUE(WaitUntil([&] { return m_window->commandsReady(); },
                                  std::chrono::milliseconds(TimeBoundMs(10000))));
        }
        auto* entry = m_window->findChild<QAction*>(QStringLiteral("menu32797"));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->text(), QStringLiteral("短语库"));
        entry->trigger();
        if (choose) {
            EXPECT_EQ(opened, (QStringList{"CDlgMsgLib", "CDlgSendSMS"}));
            EXPECT_EQ(composerText, QStringLiteral("周末愉快"));
        } else {
            EXPECT_EQ(opened, QStringList{"CDlgMsgLib"});
        }
    }
}

class PhraseLibraryScreenshots : public PhraseLibraryDialog {};

TEST_F(PhraseLibraryScreenshots, Library) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    Seed();
    Exec("INSERT INTO smsSourceContent (recID,parentID,content,creatTime) VALUES "
         "(7,10,'您好！本店周年庆，全场八折，欢迎光临。','2012-05-02 09:00'),"
         "(8,10,'感谢您的支持，祝您生活愉快！','2012-05-03 10:15')");
    CDlgMsgLib dialog;
    dialog.show();
    SelectGroup(dialog, 10);
    List(dialog)->selectRow(2);
    QCoreApplication::processEvents();
    ASSERT_TRUE(dialog.grab().save(QDir(dir).filePath(QStringLiteral("phrase-library.png"))));
}

} // namespace
