// The interactive rules dialogs driven as a user would: conditions added
// through the combos, a rule saved under a name (new, overwritten, failing),
// opened again and deleted, the reply's field markers, the unsubscribe code.
#include "core/app_globals.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "gui/sms/condi_dialog.h"
#include "gui/sms/condi_list_dialog.h"
#include "gui/sms/interactive_msg_dialog.h"
#include "gui/widgets/modal_runner.h"
#include "platform/ini.h"
#include "platform/msgbox.h"
#include "sms/interactive_rules.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/msgbox_recorder.h"

#include <QComboBox>
#include <QDir>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string kHead = "select sendNum from receivedMSGRecord\twhere 1=1 ";
const std::string kInner = " and sendNum in \t\t\t\t\t\t\t( select distinct mobileNum  from ContactList where 1=1 ";

struct Shown {
    const char* field;
    const char* symbol;
    const char* value;
};

class RulesDialog : public ContactsFixtureTest {
protected:
    void SetUp() override {
        ContactsFixtureTest::SetUp();
        m_savedIni = g_strAccountIni;
        g_strAccountIni = m_folder->file(QStringLiteral("SN-TEST-01.ini"));
        m_boxes = std::make_unique<MessageBoxRecorder>();
    }
    void TearDown() override {
        SetModalRunner({});
        SetUiLanguage(kLangChinese);
        m_boxes.reset();
        g_strAccountIni = m_savedIni;
        ContactsFixtureTest::TearDown();
    }

    static void Choose(QWidget& d, const char* id, const QString& text) {
        auto* combo = Child<QComboBox>(d, id);
        const int index = combo->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        combo->setCurrentIndex(index);
    }
    // Chooses the field and the comparison by what the combos show, types the value, clicks "添加".
    static void Add(QWidget& d, const Shown& row) {
        Choose(d, "1042", QString::fromUtf8(row.field));
        Choose(d, "21040", QString::fromUtf8(row.symbol));
        auto* value = Child<QLineEdit>(d, "1014");
        value->clear();
        Type(value, QString::fromUtf8(row.value));
        Click(d, "21013");
    }
    static void SetReply(QWidget& d, const QString& text) { Child<QTextEdit>(d, "1017")->setPlainText(text); }
    // The list as "relation|field|comparison|value" rows.
    static QStringList Rows(QWidget& d) {
        auto* list = Child<QTableWidget>(d, "1015");
        QStringList rows;
        for (int r = 0; r < list->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->item(r, c)->text();
            rows << cells.join(QLatin1Char('|'));
        }
        return rows;
    }

    // The naming dialog answers `name` by typing it and clicking "保存"; what
    // it showed first is kept in m_preset. The rules list chooses `m_open`.
    void Answer(const QString& name) {
        SetModalRunner([this, name](QDialog& dialog) -> int {
            if (auto* naming = qobject_cast<CDlgCondi*>(&dialog)) {
                ++m_namings;
                auto* box = Child<QComboBox>(*naming, "41043");
                m_preset = box->currentText();
                box->lineEdit()->clear();
                Type(box->lineEdit(), name);
                Click(*naming, "1");
                return naming->result();
            }
            if (auto* list = qobject_cast<CDlgCondiList*>(&dialog)) {
                auto* table = Child<QTableWidget>(*list, "1014");
                const auto found = table->findItems(m_open, Qt::MatchExactly);
                if (found.size() == 1)
                    table->selectRow(found.front()->row());
                Click(*list, "1");
                return list->result();
            }
            return int(IDCANCEL);
        });
    }

    static std::vector<std::string> RuleRows() {
        std::vector<std::string> rows;
        SqlStatement st(g_pDB, "SELECT recID,name,content,sqlDes FROM interactiveMsgSql ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            rows.push_back(st.text(0) + "|" + st.text(1) + "|" + st.text(2) + "|" + st.text(3));
        return rows;
    }
    static std::vector<std::string> FieldRows() {
        std::vector<std::string> rows;
        SqlStatement st(g_pDB, "SELECT parentID,parentName,field,symbol,filterValue FROM interactiveMsgSqlField "
                               "ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            rows.push_back(st.text(0) + "|" + st.text(1) + "|" + st.text(2) + "|" + st.text(3) + "|" + st.text(4));
        return rows;
    }
    static std::string StoredStatement(const char* name) {
        SqlStatement st(g_pDB, "SELECT sqlDes FROM interactiveMsgSql WHERE name=?");
        st.bind(1, name);
        return st.step() == SQLITE_ROW ? st.text(0) : "(no rule)";
    }
    QString Code() const { return ini::ReadString(g_strAccountIni, QStringLiteral("Td"), QStringLiteral("TdContact")); }

    std::unique_ptr<MessageBoxRecorder> m_boxes;
    QString m_savedIni;
    int m_namings = 0;
    QString m_preset;
    QString m_open;
};

TEST_F(RulesDialog, OpensWithFieldsComparisonsAndTheCodeAndAddsRowsJoinedByAnd) {
    ASSERT_TRUE(ini::WriteString(g_strAccountIni, QStringLiteral("Td"), QStringLiteral("TdContact"), "TD"));
    CDlgInteractiveMSG d;
    EXPECT_EQ(Child<QLineEdit>(d, "1004")->text(), "TD");

    QStringList visible;
    SqlStatement st(g_pDB, "SELECT name FROM fieldDisplay WHERE inUse=1 AND isVisible=1 ORDER BY indexField");
    while (st.step() == SQLITE_ROW)
        visible << st.qtext(0);
    ASSERT_TRUE(visible.contains("爱好"));
    ASSERT_FALSE(visible.contains("旧字段"));
    auto items = [&](const char* id) {
        QStringList out;
        auto* combo = Child<QComboBox>(d, id);
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        EXPECT_EQ(combo->currentIndex(), -1) << id;
        return out;
    };
    EXPECT_EQ(items("1042"), QStringList{"短信内容"} + visible);
    EXPECT_EQ(items("41043"), visible);
    EXPECT_EQ(items("21040"), (QStringList{"大于", "小于", "等于", "包含", "不等于", "开始于"}));

    // Field, comparison and value are each needed.
    Click(d, "21013");
    Choose(d, "1042", "短信内容");
    Click(d, "21013");
    Choose(d, "21040", "包含");
    Click(d, "21013");
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(211), LoadStr(211), LoadStr(211)}));
    EXPECT_TRUE(Rows(d).isEmpty());

    Add(d, {"短信内容", "包含", "ABC"});
    Add(d, {"姓名", "等于", "张三"});
    Add(d, {"手机或小灵通", "开始于", "13"});
    EXPECT_EQ(Rows(d), (QStringList{"|短信内容|包含|ABC", "并且|姓名|等于|张三", "并且|手机或小灵通|开始于|13"}));
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(211), LoadStr(211), LoadStr(211)}));

    // Removing the first row leaves the new first row without a relation.
    Child<QTableWidget>(d, "1015")->selectRow(0);
    Click(d, "21011");
    EXPECT_EQ(Rows(d), (QStringList{"|姓名|等于|张三", "并且|手机或小灵通|开始于|13"}));
    Click(d, "21012");
    EXPECT_TRUE(Rows(d).isEmpty());
}

TEST_F(RulesDialog, SavesTheExactStatementAndKeepsTheCode) {
    const struct {
        const char* name;
        std::vector<Shown> rows;
        std::string statement;
    } cases[] = {
        {"包含", {{"短信内容", "包含", "ABC"}}, "select sendNum from receivedMSGRecord\twhere 1=1  AND msgContent like '%ABC%' "},
        {"开始于", {{"手机或小灵通", "开始于", "13"}}, kHead + " AND sendNum like '13%' "},
        {"联系人", {{"短信内容", "等于", "TD"}, {"公司名称", "包含", "公司"}},
         kHead + " AND msgContent = 'TD'" + kInner + " AND coName like '%公司%')"},
    };
    CDlgInteractiveMSG d;
    for (const auto& c : cases) {
        m_boxes->clear();
        for (const Shown& row : c.rows)
            Add(d, row);
        SetReply(d, QStringLiteral("  您好，已收到 it's  "));
        Child<QLineEdit>(d, "1004")->setText(QString::fromUtf8(c.name) + "码");
        Answer(QString::fromUtf8(c.name));
        Click(d, "31013");

        EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(165)}) << c.name;
        EXPECT_EQ(StoredStatement(c.name), c.statement) << c.name;
        EXPECT_EQ(Code(), QString::fromUtf8(c.name) + "码");
        // The form is ready for the next rule; the code stays.
        EXPECT_TRUE(Rows(d).isEmpty());
        EXPECT_TRUE(Child<QTextEdit>(d, "1017")->toPlainText().isEmpty());
        EXPECT_TRUE(Child<QLineEdit>(d, "1014")->text().isEmpty());
        EXPECT_EQ(Child<QLineEdit>(d, "1004")->text(), QString::fromUtf8(c.name) + "码");
    }
    SqlStatement reply(g_pDB, "SELECT content FROM interactiveMsgSql WHERE name='包含'");
    ASSERT_EQ(reply.step(), SQLITE_ROW);
    EXPECT_EQ(reply.qtext(0), "您好，已收到 it's");
    const std::string id = std::to_string(d.SavedId());
    EXPECT_EQ(FieldRows().back(), id + "|联系人|公司名称|包含|公司");
    EXPECT_EQ(d.result(), kStayedOpen);
}

TEST_F(RulesDialog, AQuotedValueStoresARuleThatRunsAndMatches) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO receivedMSGRecord (receiveID,sendNum,msgContent,sendTime) VALUES "
                      "(1,'13800000001','it''s me','2026-12-01 10:00:00'),"
                      "(2,'13700000009','its me','2026-12-01 10:01:00')"),
              SQLITE_OK);
    CDlgInteractiveMSG d;
    Add(d, {"短信内容", "包含", "it's"});
    Add(d, {"姓名", "等于", "张三"});
    SetReply(d, QStringLiteral("谢谢"));
    Answer(QStringLiteral("引号"));
    Click(d, "31013");
    ASSERT_EQ(m_boxes->texts(), QStringList{LoadStr(165)});

    const std::string statement = StoredStatement("引号");
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(g_pDB, statement.c_str(), -1, &stmt, &tail), SQLITE_OK) << statement;
    EXPECT_TRUE(sqlite3_stmt_readonly(stmt));
    EXPECT_STREQ(tail, "");
    std::vector<std::string> numbers;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        numbers.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    EXPECT_EQ(numbers, std::vector<std::string>{"13800000001"});
}

TEST_F(RulesDialog, NeedsAReplyAndAConditionBeforeAskingForTheName) {
    CDlgInteractiveMSG d;
    Answer(QStringLiteral("R"));
    SetReply(d, QStringLiteral("回复"));
    Click(d, "31013");
    Add(d, {"短信内容", "包含", "A"});
    SetReply(d, QStringLiteral(" \n "));
    Click(d, "31013");
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(210), LoadStr(210)}));
    EXPECT_EQ(m_namings, 0);
    EXPECT_TRUE(RuleRows().empty());
}

TEST_F(RulesDialog, NamingRefusesEmptyAndAsksBeforeTakingAStoredName) {
    ASSERT_GT(SaveRule(QStringLiteral("乙"), false, QStringLiteral("r"), "s", {{"短信内容", "等于", "x"}}), 0);
    ASSERT_GT(SaveRule(QStringLiteral("甲"), false, QStringLiteral("r"), "s", {{"短信内容", "等于", "x"}}), 0);
    const struct {
        const char* typed;
        int answer; // to 178, when asked
        QStringList boxes;
        int result;
        bool existed;
    } cases[] = {
        {"", IDYES, {LoadStr(177)}, kStayedOpen, false},
        {"   ", IDYES, {LoadStr(177)}, kStayedOpen, false},
        {"甲", IDNO, {LoadStr(178)}, kStayedOpen, false},
        {"甲", IDYES, {LoadStr(178)}, 1003, true},
        {" 丙 ", IDYES, {}, 1003, false},
    };
    for (const auto& c : cases) {
        m_boxes->clear();
        m_boxes->queueAnswer(c.answer);
        CDlgCondi naming;
        auto* box = Child<QComboBox>(naming, "41043");
        ASSERT_EQ(box->count(), 2);
        EXPECT_EQ(box->itemText(0), "乙");
        Type(box->lineEdit(), QString::fromUtf8(c.typed));
        Click(naming, "1");
        EXPECT_EQ(m_boxes->texts(), c.boxes) << c.typed;
        EXPECT_EQ(naming.result(), c.result) << c.typed;
        if (c.result == 1003) {
            EXPECT_EQ(naming.Name(), QString::fromUtf8(c.typed).trimmed());
            EXPECT_EQ(naming.NameExisted(), c.existed) << c.typed;
        }
    }
    CDlgCondi cancelled;
    Click(cancelled, "2");
    EXPECT_EQ(cancelled.result(), IDCANCEL);
}

TEST_F(RulesDialog, OverwriteWithYesReplacesRuleAndRowsUnderANewId) {
    const int64_t old = SaveRule(QStringLiteral("R"), false, QStringLiteral("旧"), "s",
                                 {{"短信内容", "等于", "1"}, {"短信内容", "等于", "2"}});
    ASSERT_GT(old, 0);
    CDlgInteractiveMSG d;
    Add(d, {"姓名", "等于", "张三"});
    SetReply(d, QStringLiteral("新"));

    // No to the question: nothing is stored and the code is not written.
    Child<QLineEdit>(d, "1004")->setText("TD");
    m_boxes->queueAnswer(IDNO);
    Answer(QStringLiteral("R"));
    Click(d, "31013");
    EXPECT_EQ(m_boxes->texts(), QStringList{LoadStr(178)});
    EXPECT_EQ(RuleRows(), std::vector<std::string>{std::to_string(old) + "|R|旧|s"});
    EXPECT_TRUE(Code().isEmpty());
    EXPECT_EQ(Rows(d).size(), 1);

    m_boxes->clear();
    m_boxes->queueAnswer(IDYES);
    Click(d, "31013");
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(178), LoadStr(165)}));
    const int64_t id = d.SavedId();
    EXPECT_GT(id, old);
    EXPECT_EQ(RuleRows(), std::vector<std::string>{std::to_string(id) + "|R|新|" + kHead + kInner +
                                                   " AND name = '张三')"});
    EXPECT_EQ(FieldRows(), std::vector<std::string>{std::to_string(id) + "|R|姓名|等于|张三"});
    EXPECT_EQ(Code(), "TD");
}

TEST_F(RulesDialog, AFailingInsertKeepsTheOldRuleShowsTheFailureAndStillWritesTheCode) {
    const int64_t old = SaveRule(QStringLiteral("R"), false, QStringLiteral("旧"), "s", {{"短信内容", "等于", "1"}});
    ASSERT_GT(old, 0);
    const std::vector<std::string> rulesBefore = RuleRows();
    const std::vector<std::string> rowsBefore = FieldRows();
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail BEFORE INSERT ON interactiveMsgSql BEGIN SELECT RAISE(ABORT,'no'); END"),
              SQLITE_OK);

    CDlgInteractiveMSG d;
    Add(d, {"短信内容", "包含", "新"});
    SetReply(d, QStringLiteral("新回复"));
    Child<QLineEdit>(d, "1004")->setText("退订");
    m_boxes->queueAnswer(IDYES);
    Answer(QStringLiteral("R"));
    Click(d, "31013");

    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(178), QStringLiteral("保存失败")}));
    EXPECT_EQ(RuleRows(), rulesBefore);
    EXPECT_EQ(FieldRows(), rowsBefore);
    EXPECT_EQ(Code(), "退订");
    EXPECT_TRUE(runLog().contains("插入互动短信条件出错了"));
    // The user's work is still there to try again.
    EXPECT_EQ(Rows(d), QStringList{"|短信内容|包含|新"});
    EXPECT_EQ(Child<QTextEdit>(d, "1017")->toPlainText(), "新回复");
    EXPECT_EQ(d.SavedId(), 0);
    EXPECT_EQ(d.result(), kStayedOpen);
}

TEST_F(RulesDialog, OpenRestoresRowsAndReplyAndPresetsTheName) {
    ASSERT_GT(SaveRule(QStringLiteral("别的"), false, QStringLiteral("x"), "s", {{"短信内容", "等于", "x"}}), 0);
    ASSERT_GT(SaveRule(QStringLiteral("R"), false, QStringLiteral("您好<%姓名%>"), "s",
                       {{"短信内容", "包含", "A"}, {"姓名", "等于", "张三"}, {"手机或小灵通", "开始于", "138"}}),
              0);
    CDlgInteractiveMSG d;
    Add(d, {"短信内容", "等于", "leftover"});
    m_open = QStringLiteral("R");
    Answer(QStringLiteral("R"));
    Click(d, "41016");
    EXPECT_EQ(Rows(d), (QStringList{"|短信内容|包含|A", "并且|姓名|等于|张三", "并且|手机或小灵通|开始于|138"}));
    EXPECT_EQ(Child<QTextEdit>(d, "1017")->toPlainText(), "您好<%姓名%>");
    EXPECT_EQ(d.Conditions(), (std::vector<RuleCondition>{
                                  {"短信内容", "包含", "A"}, {"姓名", "等于", "张三"}, {"手机或小灵通", "开始于", "138"}}));

    // Saving again offers the opened rule's name.
    m_boxes->queueAnswer(IDYES);
    Click(d, "31013");
    EXPECT_EQ(m_preset, "R");
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(178), LoadStr(165)}));
    EXPECT_EQ(StoredStatement("R"), kHead + " AND msgContent like '%A%' AND sendNum like '138%'" + kInner +
                                        " AND name = '张三')");

    // A cancelled choice leaves the form as it was.
    Add(d, {"短信内容", "等于", "kept"});
    SetModalRunner([](QDialog&) { return int(IDCANCEL); });
    Click(d, "41016");
    EXPECT_EQ(Rows(d), QStringList{"|短信内容|等于|kept"});
}

TEST_F(RulesDialog, RuleListChoosesExactlyOneAndDeletesTheSelected) {
    std::map<std::string, int64_t> ids;
    for (const char* name : {"C", "A", "B"})
        ids[name] = SaveRule(QString::fromUtf8(name), false, QStringLiteral("r"), "s",
                             {{"短信内容", "等于", "x"}, {"姓名", "等于", "y"}});
    CDlgCondiList list;
    auto* table = Child<QTableWidget>(list, "1014");
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QString(34, ' ') + "名称");
    ASSERT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(0, 0)->text(), "A");

    auto selectRows = [&](std::initializer_list<int> rows) {
        table->clearSelection();
        for (int r : rows)
            table->selectionModel()->select(table->model()->index(r, 0),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    selectRows({});
    Click(list, "1");
    selectRows({0, 2});
    Click(list, "1");
    EXPECT_EQ(m_boxes->texts(), (QStringList{LoadStr(179), LoadStr(179)}));
    EXPECT_EQ(list.result(), kStayedOpen);

    selectRows({0, 2});
    Click(list, "1010");
    ASSERT_EQ(table->rowCount(), 1);
    EXPECT_EQ(table->item(0, 0)->text(), "B");
    EXPECT_EQ(RuleRows(), std::vector<std::string>{std::to_string(ids["B"]) + "|B|r|s"});
    for (const std::string& row : FieldRows())
        EXPECT_EQ(row.substr(0, row.find('|')), std::to_string(ids["B"]));
    EXPECT_EQ(FieldRows().size(), 2u);

    selectRows({0});
    Click(list, "1");
    EXPECT_EQ(list.result(), 1003);
    EXPECT_EQ(list.ChosenId(), ids["B"]);
    EXPECT_EQ(list.ChosenName(), "B");
}

TEST_F(RulesDialog, InsertFieldPutsTheMarkerAtTheCaret) {
    CDlgInteractiveMSG d;
    auto* reply = Child<QTextEdit>(d, "1017");
    reply->setPlainText(QStringLiteral("您好，再见"));
    QTextCursor caret = reply->textCursor();
    caret.setPosition(3);
    reply->setTextCursor(caret);
    auto* fields = Child<QComboBox>(d, "41043");
    const int name = fields->findText("姓名");
    const int hobby = fields->findText("爱好");
    ASSERT_GE(name, 0);
    ASSERT_GE(hobby, 0);
    emit fields->activated(name);
    EXPECT_EQ(reply->toPlainText(), "您好，<%姓名%>再见");
    emit fields->activated(hobby);
    EXPECT_EQ(reply->toPlainText(), "您好，<%姓名%><%爱好%>再见");
}

TEST_F(RulesDialog, InEnglishTheRuleIsStoredAsInChinese) {
    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    CDlgInteractiveMSG d;
    // Everything the three windows say is English; the contact fields are the user's own names.
    QStringList fieldNames;
    for (const FIELDINFO& f : LoadFieldInfo())
        fieldNames << f.name;
    CDlgCondi naming;
    CDlgCondiList list;
    for (QDialog* dialog : std::initializer_list<QDialog*>{&d, &naming, &list}) {
        for (const QString& text : ShownTexts(*dialog)) {
            if (!fieldNames.contains(text)) {
                EXPECT_FALSE(HasChinese(text)) << dialog->objectName().toStdString() << ": " << text.toStdString();
            }
        }
    }
    EXPECT_EQ(list.windowTitle(), "Name list of query conditions");
    Add(d, {"Message content", "Contains", "ABC"});
    Add(d, {"姓名", "Starts with", "张"});
    EXPECT_EQ(Rows(d), (QStringList{"|Message content|Contains|ABC", "And|姓名|Starts with|张"}));
    SetReply(d, QStringLiteral("Hi"));
    Answer(QStringLiteral("en"));
    Click(d, "31013");
    EXPECT_EQ(StoredStatement("en"), kHead + " AND msgContent like '%ABC%'" + kInner + " AND name like '张%')");
    const std::string id = std::to_string(d.SavedId());
    EXPECT_EQ(FieldRows(), (std::vector<std::string>{id + "|en|短信内容|包含|ABC", id + "|en|姓名|开始于|张"}));

    // Opened again, the stored names read in English.
    m_open = QStringLiteral("en");
    Click(d, "41016");
    EXPECT_EQ(Rows(d), (QStringList{"|Message content|Contains|ABC", "And|姓名|Starts with|张"}));
}

} // namespace

namespace {

TEST_F(RulesDialog, Screenshots) {
    const QString dir = qEnvironmentVariable("CORVELANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "CORVELANE_SCREENSHOT_DIR not set";
    ASSERT_GT(SaveRule(QStringLiteral("咨询回复"), false, QStringLiteral("r"), "s", {{"短信内容", "包含", "咨询"}}), 0);
    CDlgInteractiveMSG d;
    Add(d, {"短信内容", "包含", "咨询"});
    Add(d, {"手机或小灵通", "开始于", "138"});
    Add(d, {"公司名称", "等于", "星河公司"});
    SetReply(d, QStringLiteral("<%姓名%>您好，您的咨询已收到，我们会尽快回复。"));
    Child<QLineEdit>(d, "1004")->setText(QStringLiteral("TD"));
    d.show();
    ASSERT_TRUE(d.grab().save(QDir(dir).filePath(QStringLiteral("interactive-rules.png"))));
    CDlgCondi naming;
    naming.SetName(QStringLiteral("咨询回复"));
    naming.show();
    ASSERT_TRUE(naming.grab().save(QDir(dir).filePath(QStringLiteral("interactive-rule-name.png"))));
    CDlgCondiList list;
    list.show();
    ASSERT_TRUE(list.grab().save(QDir(dir).filePath(QStringLiteral("interactive-rule-list.png"))));
}

} // namespace
