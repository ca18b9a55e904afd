// The main window's group tree on the contacts fixture: what it shows, the
// view each node brings up, and adding, deleting, renaming and moving groups
// through its menu and label editing.
#include "core/app_globals.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/contacts/choose_group_dialog.h"
#include "gui/contacts/contact_frame.h"
#include "gui/contacts/entry_dialogs.h"
#include "gui/main/main_window.h"
#include "gui/sms/msg_record_view.h"
#include "gui/widgets/modal_runner.h"
#include "gui/widgets/tree_helpers.h"
#include "platform/ini.h"
#include "sms/sent_records.h"
#include "tests/support/contact_generator.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/ftp_server.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const QString kRightsText = QStringLiteral("您没有相应权限进行此操作.");

// "text#code[children]" of the items below `item`, in tree order.
QString Describe(const QTreeWidgetItem* item) {
    QStringList children;
    for (int i = 0; i < item->childCount(); ++i) {
        const QTreeWidgetItem* child = item->child(i);
        QString text = child->text(0) + QLatin1Char('#') + QString::number(TreeItemData(child));
        if (child->childCount() > 0)
            text += QLatin1Char('[') + Describe(child) + QLatin1Char(']');
        children << text;
    }
    return children.join(QLatin1Char(','));
}

// One menu entry as the test saw it: "id" plus "-" when greyed.
struct MenuSeen {
    QStringList entries;
};

class GroupTree : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        LoadContactsFixture();
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        ini::WriteString(g_strAccountIni, QStringLiteral("SysSetting"), QStringLiteral("Auto7"),
                         QStringLiteral("1"));
        m_previousRunner = SetModalRunner([this](QDialog& dialog) {
            m_modals << QString::fromLatin1(dialog.metaObject()->className());
            if (auto* chooser = qobject_cast<CDlgChooseGroup*>(&dialog))
                m_chooserMode = {chooser->m_treeMode, chooser->m_currentGroup};
            if (auto* add = qobject_cast<CDlgAddGroup*>(&dialog)) {
                if (m_groupNames.empty())
                    return int(IDCANCEL);
                add->m_text = m_groupNames.front();
                m_groupNames.erase(m_groupNames.begin());
                return 1003;
            }
            return m_onModal ? m_onModal(dialog) : int(IDCANCEL);
        });
    }
    void TearDown() override {
        m_window.reset();
        SetModalRunner(m_previousRunner);
        g_strAccountIni.clear();
        ServiceTest::TearDown();
    }

    CCorvelaneDlg& open(const std::string& roles = "0", const QStringList& rights = {QStringLiteral("AD")}) {
        m_main->script("GetAllInfo2", LoopbackAnswer::Registry({{"RESULT", "0"}, {"ROLES", roles}}));
        m_window = std::make_unique<CCorvelaneDlg>(std::make_unique<QStringList>(rights));
        m_window->show();
        EXPECT_TRUE(WaitUntil([&] { return m_window->commandsReady(); }));
        // Start-up's first timer ends the busy state and selects the first group.
        EXPECT_TRUE(WaitUntil([&] { return m_window->timer(1) && !m_window->timer(1)->isActive(); }));
        m_window->setPopupMenuRunner([this](QMenu& menu, const QPoint&) -> QAction* {
            MenuSeen seen;
            QAction* chosen = nullptr;
            std::function<void(QMenu&)> walk = [&](QMenu& m) {
                for (QAction* a : m.actions()) {
                    if (a->menu()) {
                        walk(*a->menu());
                        continue;
                    }
                    if (a->isSeparator())
                        continue;
                    seen.entries << QString::number(a->data().toInt()) + (a->isEnabled() ? "" : "-");
                    if (a->data().toInt() == m_menuChoice)
                        chosen = a;
                }
            };
            walk(menu);
            m_menus.push_back(seen);
            return chosen;
        });
        return *m_window;
    }
    QTreeWidget* tree() const { return m_window->tree(); }
    QTreeWidgetItem* item(qint64 code) const { return FindTreeItemByData(tree(), nullptr, code); }
    QString contactsBranch() const { return Describe(tree()->topLevelItem(0)); }

    // The label editor of the tree, once it is open.
    QLineEdit* editor() const {
        for (QLineEdit* e : tree()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Types `text` into the open label editor and presses Enter.
    void finishEdit(const QString& text) {
        QLineEdit* e = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (e = editor()) != nullptr; }));
        e->setText(text);
        SendKey(e, Qt::Key_Return);
        ASSERT_TRUE(WaitUntil([&] { return editor() == nullptr; }));
        // The edit is handled after the editor closed.
        WaitUntil([] { return false; }, std::chrono::milliseconds(50));
    }

    static QStringList Groups() {
        QStringList rows;
        SqlStatement st(g_pDB,
                        "SELECT GroupID, GroupName, MasterID FROM ContactGroup ORDER BY GroupID, rowid");
        while (st.step() == SQLITE_ROW)
            rows << QStringLiteral("%1:%2:%3").arg(st.int64(0)).arg(st.qtext(1)).arg(st.int64(2));
        return rows;
    }
    static qint64 Count(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    static void Exec(const char* sql) {
        std::string error;
        ASSERT_EQ(ExecSql(&error, g_pDB, sql), SQLITE_OK) << error;
    }

    std::unique_ptr<CCorvelaneDlg> m_window;
    ModalRunner m_previousRunner;
    QStringList m_modals;
    std::vector<QString> m_groupNames;
    std::pair<int, qint64> m_chooserMode{-1, -1};
    std::function<int(QDialog&)> m_onModal;
    std::vector<MenuSeen> m_menus;
    int m_menuChoice = 0;
};

QStringList OperatorRightsWithout(int right) {
    QStringList rights{QStringLiteral("OPpw")};
    for (int i = 1; i <= 20; ++i)
        rights << (i == right ? QStringLiteral("0") : QStringLiteral("1"));
    return rights;
}

TEST_F(GroupTree, ShowsPlacedGroupsAndTheNodesTheServiceAllows) {
    // Two groups naming each other as parent, besides the fixture's E under
    // the missing group 99: none of them can be placed.
    Exec("INSERT INTO ContactGroup VALUES(6, 'F', 7), (7, 'G', 6)");
    const QString channel = QStringLiteral("[草稿箱#%1,发送失败记录#%2,发送成功记录#%3]");
    auto records = [&](qint64 code) { return channel.arg(code + 1).arg(code + 2).arg(code + 3); };
    const QString contacts = QStringLiteral("联系人#0[A#1[B#2[C#3]],D#4]");
    const QString sms = QStringLiteral("短信#1000000000[草稿箱#1000000001,发送失败记录#1000000002,"
                                       "发送成功记录#1000000003,已接收记录#1000000004,调查记录#1000000005]");
    struct Case {
        std::string roles;
        QString tree;
    };
    // 43008 = 0x8000 | 0x2000 (fax) | 0x0800 (tasks).
    const Case cases[] = {
        {"0", contacts + "," + sms + ",任务列表#1000001000,传真#1000002000" + records(1000002000) +
                  ",邮件#1000003000" + records(1000003000) + ",彩信#1000004000" + records(1000004000) +
                  ",语音#1000005000" + records(1000005000) + ",网络管理#1000006000,网信管理#1000007000"},
        {"43008", contacts + "," + sms + ",邮件#1000003000" + records(1000003000) + ",彩信#1000004000" +
                      records(1000004000) + ",语音#1000005000" + records(1000005000) +
                      ",网络管理#1000006000,网信管理#1000007000"},
    };
    for (const Case& c : cases) {
        open(c.roles);
        EXPECT_EQ(Describe(tree()->invisibleRootItem()), c.tree) << c.roles;
        m_window.reset();
    }
}

TEST_F(GroupTree, SelectingANodeShowsItsViewAndCaption) {
    open();
    struct Case {
        qint64 code;
        const char* viewClass; // "": the view shown before stays
        int group;
        const char* caption;
    };
    const Case cases[] = {
        {node::Sms + 1, "CDlgMsgRecord", -1, "短信->草稿箱"},
        {node::Received, "CDlgMsgRecord1Received", -1, "短信->已接收记录"},
        {node::Sms, "", -1, "短信"},
        {node::Survey, "CDlgMsgRecord", -1, "短信->调查记录"},
        {node::Tasks, "CDlgTask", -1, "任务列表"},
        {node::Fax + 2, "CDlgMsgRecord", -1, "传真->发送失败记录"},
        {node::Email + 3, "CDlgMsgRecord", -1, "邮件->发送成功记录"},
        {node::Mms + 1, "CDlgMsgRecord", -1, "彩信->草稿箱"},
        {node::Voice + 2, "CDlgMsgRecord", -1, "语音->发送失败记录"},
        {node::Voice, "", -1, "语音"},
        {node::NetManagement, "CDlgNetMGT", -1, "网络管理"},
        {node::NetMessages, "CDlgNetMGT", -1, "网信管理"},
        {3, "CDlgContactFrame", 3, "联系人->A->B->C"},
        {node::Contacts, "CDlgContactFrame", 0, "联系人"},
        {4, "CDlgContactFrame", 4, "联系人->D"},
    };
    std::map<QString, QWidget*> made;
    for (const Case& c : cases) {
        QWidget* before = m_window->currentView();
        m_window->SelectNode(c.code);
        EXPECT_EQ(TreeItemData(tree()->currentItem()), c.code);
        EXPECT_EQ(m_window->currentGroup(), c.group) << c.code;
        EXPECT_EQ(m_window->groupCaption(), QString::fromUtf8(c.caption)) << c.code;
        EXPECT_TRUE(m_window->statusText(2).isEmpty()) << c.code;
        QWidget* view = m_window->currentView();
        if (!*c.viewClass) {
            EXPECT_EQ(view, before) << c.code;
            continue;
        }
        ASSERT_NE(view, nullptr) << c.code;
        EXPECT_EQ(QLatin1String(view->metaObject()->className()), QLatin1String(c.viewClass)) << c.code;
        EXPECT_TRUE(view->isVisible()) << c.code;
        // Each view is made once and kept.
        auto [it, first] = made.emplace(QString::fromLatin1(c.viewClass), view);
        EXPECT_EQ(it->second, view) << c.code;
    }
    EXPECT_EQ(made.size(), 5u);
    // The pane shows the group selected last.
    EXPECT_EQ(m_window->ContactPane()->GroupId(), 4);
    int visible = 0;
    for (auto& [name, view] : made)
        visible += view->isVisible() ? 1 : 0;
    EXPECT_EQ(visible, 1);
}

TEST_F(GroupTree, RecordViewForEachRecordNode) {
    // One SMS sent record, so that node has a row to select.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO sendInfo (content,submitTime,isDraft,isFail,sendID,sendType) "
                      "VALUES ('hello','2024-05-01 08:00:00',0,0,41,1)"),
              SQLITE_OK);
    open();
    QWidget* page = nullptr;
    for (const qint64 code : RecordCategoryCodes()) {
        m_window->SelectNode(code);
        auto* view = qobject_cast<CDlgMsgRecord*>(m_window->currentView());
        ASSERT_NE(view, nullptr) << code;
        EXPECT_TRUE(view->isVisible()) << code;
        // One page serves every record node, queried for the node chosen.
        if (!page)
            page = view;
        EXPECT_EQ(view, page) << code;
        EXPECT_EQ(view->Code(), code);
        EXPECT_TRUE(view->ListStatement().contains(RecordCategoryFor(code)->filter)) << code;
        EXPECT_EQ(view->RecordList()->ItemCount(), code == node::Sms + 3 ? 1 : 0) << code;
    }
    // Another record chosen: "正在处理..." shows until its recipients are in.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO sendInfo (content,submitTime,isDraft,isFail,sendID,sendType) "
                      "VALUES ('older','2024-04-01 08:00:00',0,0,40,1)"),
              SQLITE_OK);
    m_window->SelectNode(node::Sms + 3);
    auto* view = static_cast<CDlgMsgRecord*>(m_window->currentView());
    ASSERT_EQ(view->RecordList()->ItemCount(), 2);
    view->RecordList()->setCurrentIndex(view->RecordList()->model()->index(1, 0));
    EXPECT_EQ(m_window->statusText(2), QStringLiteral("正在处理..."));
    EXPECT_TRUE(WaitUntil([&] { return view->CurrentSendId() == 40; }));
    EXPECT_TRUE(m_window->statusText(2).isEmpty());

    // A rebuilt database renumbers rowids: the page queries again and the
    // selection starts afresh.
    view->RecordList()->clearSelection();
    view->OnHeaderClicked(0);
    m_window->RequeryRecordViews();
    EXPECT_TRUE(view->ListStatement().endsWith(QLatin1String(" ORDER BY submitTime DESC, rowid")));
    EXPECT_EQ(view->GetDbIDofSelected(), std::vector<qint64>{41});
}

TEST_F(GroupTree, MenuOnlyOnContactNodes) {
    open();
    tree()->collapseAll();
    item(node::Contacts)->setExpanded(true);
    struct Case {
        qint64 code; // -1: empty space below the items
        QStringList entries;
    };
    const QStringList all{"10001", "10002", "10003", "10004", "32776", "10005", "10006", "10007"};
    const Case cases[] = {
        {node::Contacts, {"10001", "10002-", "10003-", "10004-", "32776-", "10005", "10006", "10007"}},
        {1, all},
        {node::Sms, {}},
        {node::NetMessages, {}},
        {-1, {}},
    };
    for (const Case& c : cases) {
        m_menus.clear();
        QPoint pos(5, tree()->viewport()->height() - 3);
        if (c.code >= 0)
            pos = tree()->visualItemRect(item(c.code)).center();
        else
            ASSERT_EQ(tree()->itemAt(pos), nullptr);
        m_window->OnTreeRightClick(pos);
        if (c.entries.isEmpty()) {
            EXPECT_TRUE(m_menus.empty()) << c.code;
            continue;
        }
        ASSERT_EQ(m_menus.size(), 1u) << c.code;
        EXPECT_EQ(m_menus[0].entries, c.entries) << c.code;
        EXPECT_EQ(m_window->currentGroup(), c.code);
    }
    // A greyed entry does nothing; an entry chosen on a group runs.
    m_menuChoice = 10004;
    m_window->OnTreeRightClick(tree()->visualItemRect(item(node::Contacts)).center());
    EXPECT_TRUE(m_modals.isEmpty());
    m_window->OnTreeRightClick(tree()->visualItemRect(item(4)).center());
    EXPECT_EQ(m_modals, QStringList{"CDlgContactInfo"});
}

TEST_F(GroupTree, AddRefusesTakenNamesAndNeverRepeatsAnId) {
    open();
    const QStringList before = Groups();
    for (const QString& taken : {QStringLiteral("草稿箱"), QStringLiteral("联系人"), QStringLiteral("C"),
                                 QStringLiteral("网信管理")}) {
        m_boxes->clear();
        m_groupNames = {taken};
        m_window->SelectNode(1);
        m_window->OnGroupCommand(10001);
        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(342)}) << taken.toStdString();
        EXPECT_EQ(Groups(), before);
    }
    // A group stored behind the tree's back takes id 6; the next add must not.
    Exec("INSERT INTO ContactGroup VALUES(6, 'X', 0)");
    m_boxes->clear();
    m_groupNames = {QStringLiteral("新组"), QStringLiteral("O'Brien")};
    m_window->SelectNode(4);
    m_window->OnGroupCommand(10001);
    m_window->SelectNode(node::Contacts);
    m_window->OnGroupCommand(10001);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_EQ(Groups(), before + QStringList({"6:X:0", "7:新组:4", "8:O'Brien:0"}));
    EXPECT_EQ(contactsBranch(), QStringLiteral("A#1[B#2[C#3]],D#4[新组#7],O'Brien#8"));
}

TEST_F(GroupTree, DeleteAsksOnlyForAGroupWithSubgroups) {
    open();
    // A leaf: no question.
    m_window->SelectNode(3);
    m_window->OnGroupCommand(10002);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_EQ(contactsBranch(), QStringLiteral("A#1[B#2],D#4"));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE groupID=3"), 0);
    // With subgroups: one question; No keeps everything.
    m_boxes->queueAnswer(IDNO);
    m_window->SelectNode(1);
    m_window->OnGroupCommand(10002);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(343)});
    EXPECT_EQ(contactsBranch(), QStringLiteral("A#1[B#2],D#4"));
    m_boxes->clear();
    m_window->SelectNode(1);
    m_window->OnGroupCommand(10002);
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(343)});
    EXPECT_EQ(contactsBranch(), QStringLiteral("D#4"));
    EXPECT_EQ(Groups(), (QStringList{"4:D:0", "5:E:99"}));
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE groupID IN(1,2)"), 0);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE groupID=4"), 6);
    // The contacts node is never deleted.
    m_boxes->clear();
    m_window->SelectNode(node::Contacts);
    m_window->OnGroupCommand(10002);
    EXPECT_TRUE(m_boxes->texts().isEmpty());
    EXPECT_EQ(tree()->topLevelItem(0)->text(0), QStringLiteral("联系人"));
}

TEST_F(GroupTree, AFailureLeavesTreeAndDatabaseAsTheyWere) {
    open();
    struct Case {
        const char* trigger;
        std::function<void()> act;
        QString shown;
    };
    const Case cases[] = {
        {"CREATE TRIGGER t BEFORE INSERT ON ContactGroup BEGIN SELECT RAISE(ABORT, 'no'); END",
         [this] {
             m_groupNames = {QStringLiteral("新")};
             m_window->SelectNode(1);
             m_window->OnGroupCommand(10001);
         },
         QStringLiteral("新建分组失败!")},
        {"CREATE TRIGGER t BEFORE DELETE ON ContactList WHEN OLD.groupID=3 BEGIN SELECT RAISE(ABORT, 'no'); "
         "END",
         [this] {
             m_window->SelectNode(1);
             m_window->OnGroupCommand(10002);
         },
         QStringLiteral("删除分组失败!")},
        {"CREATE TRIGGER t BEFORE UPDATE ON ContactGroup BEGIN SELECT RAISE(ABORT, 'no'); END",
         [this] {
             m_window->SelectNode(2);
             m_window->OnGroupCommand(10003);
             finishEdit(QStringLiteral("新"));
         },
         QStringLiteral("重命名失败!")},
    };
    const QStringList groups = Groups();
    const QString shown = contactsBranch();
    const qint64 contacts = Count("SELECT COUNT(*) FROM ContactList");
    for (const Case& c : cases) {
        Exec(c.trigger);
        m_boxes->clear();
        c.act();
        EXPECT_EQ(m_boxes->texts().value(m_boxes->texts().size() - 1), c.shown) << c.trigger;
        EXPECT_EQ(contactsBranch(), shown) << c.trigger;
        EXPECT_EQ(Groups(), groups) << c.trigger;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList"), contacts) << c.trigger;
        Exec("DROP TRIGGER t");
    }
}

TEST_F(GroupTree, RenameComparesWithTheNameTheEditStartedFrom) {
    Exec(
        "CREATE TABLE renamed(name TEXT);"
        "CREATE TRIGGER r AFTER UPDATE ON ContactGroup BEGIN INSERT INTO renamed VALUES(NEW.GroupName); END");
    open();
    auto renamed = [] {
        QStringList names;
        SqlStatement st(g_pDB, "SELECT name FROM renamed ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            names << st.qtext(0);
        return names;
    };
    struct Case {
        qint64 group;
        bool byKey; // F2 instead of the menu's rename
        QString typed;
        QString label;       // the node's text afterwards
        QStringList boxes;   // what was shown
        QStringList updates; // names the update stored
    };
    const Case cases[] = {
        // The menu's rename starts on A; then F2 on B keeps its own name:
        // the update runs and no "exists" refusal comes.
        {1, false, QStringLiteral("A"), QStringLiteral("A"), {}, {"A"}},
        {2, true, QStringLiteral("B"), QStringLiteral("B"), {}, {"B"}},
        {2, true, QStringLiteral("  "), QStringLiteral("B"), {"内容不能为空."}, {}},
        {2, false, QStringLiteral("D"), QStringLiteral("B"), {LoadStr(349)}, {}},
        {2, true, QStringLiteral("草稿箱"), QStringLiteral("B"), {LoadStr(349)}, {}},
        {2, false, QStringLiteral("it's"), QStringLiteral("it's"), {}, {"it's"}},
    };
    for (const Case& c : cases) {
        Exec("DELETE FROM renamed");
        m_boxes->clear();
        m_window->SelectNode(c.group);
        if (c.byKey)
            SendKey(tree(), Qt::Key_F2);
        else
            m_window->OnGroupCommand(10003);
        finishEdit(c.typed);
        EXPECT_EQ(item(c.group)->text(0), c.label) << c.typed.toStdString();
        EXPECT_EQ(m_boxes->texts(), c.boxes) << c.typed.toStdString();
        EXPECT_EQ(renamed(), c.updates) << c.typed.toStdString();
    }
    SqlStatement st(g_pDB, "SELECT GroupName FROM ContactGroup WHERE GroupID=2");
    ASSERT_EQ(st.step(), SQLITE_ROW);
    EXPECT_EQ(st.qtext(0), QStringLiteral("it's"));
    // The caption of the selected group follows the new name.
    EXPECT_EQ(m_window->groupCaption(), QStringLiteral("联系人->A->it's"));
    // Fixed nodes and the contacts node are never edited.
    for (qint64 code : {node::Contacts, node::Sms, node::Sms + 1}) {
        m_window->SelectNode(code);
        SendKey(tree(), Qt::Key_F2);
        EXPECT_EQ(editor(), nullptr) << code;
    }
}

TEST_F(GroupTree, MoveOpensTheParentChoiceAndRefillsTheTree) {
    open();
    m_onModal = [](QDialog&) {
        // What the chooser stores on OK: B goes under D.
        std::string error;
        ExecSql(&error, g_pDB, "UPDATE ContactGroup SET MasterID=4 WHERE GroupID=2");
        return 1003;
    };
    m_window->SelectNode(2);
    m_window->OnGroupCommand(10005);
    EXPECT_EQ(m_modals, QStringList{"CDlgChooseGroup"});
    EXPECT_EQ(m_chooserMode, (std::pair<int, qint64>{1, 2}));
    EXPECT_EQ(contactsBranch(), QStringLiteral("A#1,D#4[B#2[C#3]]"));
    EXPECT_EQ(TreeItemData(tree()->currentItem()), 2);
    // The refilled tree still follows the selection.
    m_window->SelectNode(node::Tasks);
    EXPECT_EQ(m_window->currentGroup(), -1);
    m_window->SelectNode(3);
    EXPECT_EQ(m_window->currentGroup(), 3);
    EXPECT_EQ(m_window->groupCaption(), QStringLiteral("联系人->D->B->C"));
}

TEST_F(GroupTree, EachCommandChecksItsRight) {
    struct Case {
        int command;
        int right;
    };
    const Case cases[] = {{10001, 4}, {10002, 8}, {10003, 4}, {10004, 1}, {10005, 4}};
    for (const Case& c : cases) {
        open("0", OperatorRightsWithout(c.right));
        m_modals.clear();
        m_boxes->clear();
        m_window->SelectNode(2);
        m_window->OnGroupCommand(c.command);
        EXPECT_EQ(m_boxes->texts(), QStringList{kRightsText}) << c.command;
        EXPECT_TRUE(m_modals.isEmpty()) << c.command;
        EXPECT_EQ(editor(), nullptr) << c.command;
        EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactGroup"), 5) << c.command;
        // With the right the command goes ahead.
        m_window.reset();
        open("0", OperatorRightsWithout(c.right == 1 ? 2 : 1));
        m_boxes->clear();
        m_boxes->queueAnswer(IDNO);
        m_window->SelectNode(2);
        m_window->OnGroupCommand(c.command);
        EXPECT_FALSE(m_boxes->texts().contains(kRightsText)) << c.command;
        if (c.command == 10003)
            finishEdit(QStringLiteral("B"));
        m_window.reset();
    }
}

// The cloud copy's two commands of the tree menu, against a real FTP server.
class CloudCopyCommands : public GroupTree {
protected:
    void SetUp() override {
        GroupTree::SetUp();
        m_ftp = std::make_unique<LoopbackFtpServer>();
        ASSERT_TRUE(m_ftp->isRunning()) << m_ftp->errorString().toStdString();
        m_ftp->configure();
    }
    void TearDown() override {
        GroupTree::TearDown();
        m_ftp.reset();
    }
    // Runs `command` on group 2, answering its question with `answer`, and
    // waits until the job's outcome was shown.
    void run(int command, int answer = IDYES) {
        m_boxes->clear();
        m_boxes->queueAnswer(answer);
        m_window->SelectNode(2);
        m_window->OnGroupCommand(command);
        if (answer == IDYES) {
            EXPECT_TRUE(
                WaitUntil([&] { return m_boxes->texts().size() >= 2 && m_window->statusText(2).isEmpty(); },
                          std::chrono::milliseconds(TimeBoundMs(20000))));
        }
    }

    std::unique_ptr<LoopbackFtpServer> m_ftp;
};

TEST_F(CloudCopyCommands, EachDirectionChecksItsRightBeforeAsking) {
    struct Case {
        int command;
        int right;
        int question;
    };
    const Case cases[] = {{10006, 4, 344}, {10007, 11, 348}};
    for (const Case& c : cases) {
        open("0", OperatorRightsWithout(c.right));
        run(c.command, IDNO);
        EXPECT_EQ(m_boxes->texts(), QStringList{kRightsText}) << c.command;
        m_window.reset();
        // With the right the question comes; No does nothing more.
        open("0", OperatorRightsWithout(c.right == 4 ? 11 : 4));
        run(c.command, IDNO);
        ASSERT_EQ(m_boxes->shown().size(), 1u) << c.command;
        EXPECT_EQ(m_boxes->shown()[0].text, LoadStr(c.question)) << c.command;
        EXPECT_EQ(m_boxes->shown()[0].title, LoadStr(345)) << c.command;
        m_window.reset();
    }
    EXPECT_TRUE(m_ftp->commands().isEmpty());
}

TEST_F(CloudCopyCommands, UploadThenDownloadBringsTheGroupsBack) {
    open();
    run(10006);
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(344), LoadStr(346)}));
    ASSERT_EQ(m_ftp->files().size(), 1);

    const QString branch = contactsBranch();
    Exec("DELETE FROM ContactGroup WHERE GroupID = 4");
    delete item(4);
    ASSERT_NE(contactsBranch(), branch);
    run(10007);
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(348), LoadStr(346)}));
    EXPECT_EQ(contactsBranch(), branch);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactGroup WHERE GroupID = 4"), 1);

    // Without a copy for the account the download fails and says so.
    for (const QString& name : m_ftp->files())
        QFile::remove(m_ftp->filePath(name));
    run(10007);
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(348), LoadStr(347)}));
}

TEST_F(CloudCopyCommands, AServerThatRefusesTheLoginIsReported) {
    LoopbackFtpServer other(QStringLiteral("another"));
    ASSERT_TRUE(other.isRunning());
    other.configure();
    open();
    run(10006);
    EXPECT_EQ(m_boxes->texts(),
              (QStringList{LoadStr(344), QStringLiteral("连接到服务器出错！"), LoadStr(347)}));
}

class GroupTreeScreenshots : public GroupTree {};

TEST_F(GroupTreeScreenshots, MainWindowWithAGroupSortedByName) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    GenerateContacts(100000, 4);
    open();
    m_window->resize(1004, 702);
    m_window->SelectNode(4);
    CDlgContactFrame* pane = m_window->ContactPane();
    pane->HeaderClicked(2);
    pane->TickRow(1, true);
    pane->TickRow(3, true);
    QCoreApplication::processEvents();
    ASSERT_TRUE(m_window->grab().save(QDir(dir).filePath(QStringLiteral("main-window-contacts.png"))));
}

} // namespace
