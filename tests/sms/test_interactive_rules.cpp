// The interactive rules as stored: the statement built from the condition
// rows (exact text, quoting, contact columns), what such a statement selects
// from received messages, and saving, opening and deleting rules as one
// change each.
#include "core/sql.h"
#include "sms/interactive_rules.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string kHead = "select sendNum from receivedMSGRecord\twhere 1=1 ";
const std::string kInner = " and sendNum in \t\t\t\t\t\t\t( select distinct mobileNum  from ContactList where 1=1 ";

RuleCondition Row(const char* field, const char* symbol, const char* value) {
    return {QString::fromUtf8(field), QString::fromUtf8(symbol), QString::fromUtf8(value)};
}

std::set<std::string> Numbers(const std::string& statement) {
    std::set<std::string> numbers;
    SqlStatement st(g_pDB, statement);
    EXPECT_TRUE(st.ok()) << statement;
    while (st.ok() && st.step() == SQLITE_ROW)
        numbers.insert(st.text(0));
    return numbers;
}

// What the received-traffic job insists on before it runs a stored rule:
// one statement, nothing after it, and nothing it could change.
bool RunsAsOneReadOnlyStatement(const std::string& statement) {
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(g_pDB, statement.c_str(), static_cast<int>(statement.size()), &stmt, &tail);
    const bool ok = rc == SQLITE_OK && stmt && sqlite3_stmt_readonly(stmt) &&
                    std::string(tail).find_first_not_of(" \t\r\n") == std::string::npos;
    sqlite3_finalize(stmt);
    return ok;
}

using RulesDialogStatement = ContactsFixtureTest;

TEST_F(RulesDialogStatement, BuiltFromTheRowsByteForByte) {
    const std::vector<FIELDINFO> fields = LoadFieldInfo();
    const struct {
        const char* what;
        std::vector<RuleCondition> rows;
        std::string statement;
    } cases[] = {
        {"text contains", {Row("短信内容", "包含", "ABC")}, kHead + " AND msgContent like '%ABC%' "},
        {"number starts with", {Row("手机或小灵通", "开始于", "13")}, kHead + " AND sendNum like '13%' "},
        {"text starts with", {Row("短信内容", "开始于", "13")}, kHead + " AND msgContent like '13%' "},
        {"greater", {Row("短信内容", "大于", "5")}, kHead + " AND msgContent > '5' "},
        {"less", {Row("短信内容", "小于", "5")}, kHead + " AND msgContent < '5' "},
        {"equal", {Row("短信内容", "等于", "TD")}, kHead + " AND msgContent = 'TD' "},
        {"not equal", {Row("手机或小灵通", "不等于", "10086")}, kHead + " AND sendNum != '10086' "},
        {"quote doubled", {Row("短信内容", "等于", "it's")}, kHead + " AND msgContent = 'it''s' "},
        {"wildcards kept", {Row("短信内容", "包含", "5%_")}, kHead + " AND msgContent like '%5%_%' "},
        {"rows in order",
         {Row("短信内容", "包含", "A"), Row("手机或小灵通", "等于", "1"), Row("短信内容", "开始于", "B")},
         kHead + " AND msgContent like '%A%' AND sendNum = '1' AND msgContent like 'B%' "},
        {"contact field",
         {Row("短信内容", "包含", "ABC"), Row("姓名", "等于", "张三")},
         kHead + " AND msgContent like '%ABC%'" + kInner + " AND name = '张三')"},
        {"contact field only", {Row("公司名称", "包含", "x'y")}, kHead + kInner + " AND coName like '%x''y%')"},
        {"user field",
         {Row("爱好", "开始于", "游"), Row("手机或小灵通", "开始于", "138"), Row("会员", "等于", "是")},
         kHead + " AND sendNum like '138%'" + kInner + " AND txtDef1 like '游%' AND boolDef1 = '是')"},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> built = BuildRuleStatement(c.rows, fields);
        ASSERT_TRUE(built) << c.what;
        EXPECT_EQ(*built, c.statement) << c.what;
        EXPECT_TRUE(RunsAsOneReadOnlyStatement(*built)) << c.what;
    }
}

TEST_F(RulesDialogStatement, RefusesWhatItCannotNameSafely) {
    std::vector<FIELDINFO> fields = LoadFieldInfo();
    // A field table row that names no ContactList column, or text that is not a column at all.
    fields.push_back({QStringLiteral("坏字段"), QStringLiteral("name='x' OR 1=1 --"), 40});
    fields.push_back({QStringLiteral("空字段"), QString(), 41});
    const struct {
        const char* what;
        RuleCondition row;
    } cases[] = {
        {"unknown comparison", Row("短信内容", "像", "A")},
        {"unknown field", Row("没有的字段", "等于", "A")},
        {"field switched off", Row("旧字段", "等于", "旧值")},
        {"column text", Row("坏字段", "等于", "A")},
        {"no column", Row("空字段", "等于", "A")},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(BuildRuleStatement({Row("短信内容", "包含", "A"), c.row}, fields)) << c.what;
}

TEST_F(RulesDialogStatement, StoredStatementsSelectTheMatchingSenders) {
    // 张三 (13800000001) is one contact in two groups; 13700000009 is nobody's.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO receivedMSGRecord (receiveID,sendNum,msgContent,sendTime) VALUES "
                      "(1,'13800000001','it''s ABC','2026-12-01 10:00:00'),"
                      "(2,'13700000009','it''s','2026-12-01 10:01:00'),"
                      "(3,'13800000001','other','2026-12-01 10:02:00'),"
                      "(4,'13700000009','50%_off','2026-12-01 10:03:00')"),
              SQLITE_OK);
    const std::vector<FIELDINFO> fields = LoadFieldInfo();
    const struct {
        const char* what;
        std::vector<RuleCondition> rows;
        std::set<std::string> numbers;
    } cases[] = {
        {"quote in the value", {Row("短信内容", "包含", "it's")}, {"13800000001", "13700000009"}},
        {"and a contact", {Row("短信内容", "包含", "it's"), Row("姓名", "等于", "张三")}, {"13800000001"}},
        {"number prefix", {Row("手机或小灵通", "开始于", "137")}, {"13700000009"}},
        {"typed wildcard", {Row("短信内容", "开始于", "50%_")}, {"13700000009"}},
        {"nothing", {Row("短信内容", "等于", "it")}, {}},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> built = BuildRuleStatement(c.rows, fields);
        ASSERT_TRUE(built) << c.what;
        EXPECT_EQ(Numbers(*built), c.numbers) << c.what;
    }
}

class RulesDialogStore : public ProgramFolderTest {
protected:
    static qint64 Scalar(const std::string& sql) {
        SqlStatement st(g_pDB, sql);
        return st.step() == SQLITE_ROW ? st.int64(0) : -1;
    }
    // The stored rows of every rule: "id|name|field|symbol|value".
    static std::vector<std::string> FieldRows() {
        std::vector<std::string> rows;
        SqlStatement st(g_pDB, "SELECT parentID,parentName,field,symbol,filterValue FROM interactiveMsgSqlField "
                               "ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            rows.push_back(st.text(0) + "|" + st.text(1) + "|" + st.text(2) + "|" + st.text(3) + "|" + st.text(4));
        return rows;
    }
    static std::vector<std::string> Rules() {
        std::vector<std::string> rows;
        SqlStatement st(g_pDB, "SELECT recID,name,content,sqlDes FROM interactiveMsgSql ORDER BY rowid");
        while (st.step() == SQLITE_ROW)
            rows.push_back(st.text(0) + "|" + st.text(1) + "|" + st.text(2) + "|" + st.text(3));
        return rows;
    }
};

TEST_F(RulesDialogStore, SavedAsTypedAndOpenedAgain) {
    const std::vector<RuleCondition> rows{Row("短信内容", "包含", "it's"), Row("姓名", "等于", "O'Neil")};
    const QString reply = QStringLiteral("您好<%姓名%>, it's '已收到'");
    const std::string statement = "select 'x'";
    const int64_t id = SaveRule(QStringLiteral("规则'一"), false, reply, statement, rows);
    ASSERT_GT(id, 0);
    EXPECT_EQ(Rules(), std::vector<std::string>{std::to_string(id) + "|规则'一|您好<%姓名%>, it's '已收到'|select 'x'"});
    const std::string prefix = std::to_string(id) + "|规则'一|";
    EXPECT_EQ(FieldRows(), (std::vector<std::string>{prefix + "短信内容|包含|it's", prefix + "姓名|等于|O'Neil"}));

    const std::optional<OpenedRule> opened = OpenRule(id);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->rows, rows);
    EXPECT_EQ(opened->reply, reply);
    EXPECT_TRUE(RuleNameExists(QStringLiteral("规则'一")));
    EXPECT_FALSE(RuleNameExists(QStringLiteral("规则")));
    EXPECT_FALSE(OpenRule(id + 1));
}

TEST_F(RulesDialogStore, OverwriteReplacesRuleAndRowsUnderANewId) {
    const int64_t other = SaveRule(QStringLiteral("别的"), false, QStringLiteral("B"), "s2", {Row("短信内容", "等于", "B")});
    const int64_t first = SaveRule(QStringLiteral("R"), false, QStringLiteral("old"), "s1",
                                   {Row("短信内容", "等于", "1"), Row("短信内容", "等于", "2")});
    ASSERT_GT(first, 0);
    const int64_t second = SaveRule(QStringLiteral("R"), true, QStringLiteral("new"), "s3", {Row("姓名", "等于", "3")});
    ASSERT_GT(second, 0);
    EXPECT_NE(second, first);
    EXPECT_EQ(Rules(), (std::vector<std::string>{std::to_string(other) + "|别的|B|s2", std::to_string(second) + "|R|new|s3"}));
    EXPECT_EQ(FieldRows(), (std::vector<std::string>{std::to_string(other) + "|别的|短信内容|等于|B",
                                                     std::to_string(second) + "|R|姓名|等于|3"}));
    // A later rule never takes the replaced rule's id back.
    EXPECT_GT(SaveRule(QStringLiteral("later"), false, QStringLiteral("x"), "s", {Row("短信内容", "等于", "x")}),
              second);
}

TEST_F(RulesDialogStore, AFailedStepKeepsTheOldRuleWhole) {
    const int64_t old = SaveRule(QStringLiteral("R"), false, QStringLiteral("old"), "s1", {Row("短信内容", "等于", "1")});
    ASSERT_GT(old, 0);
    const std::vector<std::string> rulesBefore = Rules();
    const std::vector<std::string> rowsBefore = FieldRows();
    const struct {
        const char* what;
        const char* trigger;
        const char* line;
    } cases[] = {
        {"rule insert",
         "CREATE TRIGGER fail BEFORE INSERT ON interactiveMsgSql BEGIN SELECT RAISE(ABORT,'no'); END",
         "插入互动短信条件出错了"},
        {"row insert",
         "CREATE TRIGGER fail BEFORE INSERT ON interactiveMsgSqlField BEGIN SELECT RAISE(ABORT,'no'); END",
         "插入条件列表内容出错了"},
        {"old rows delete",
         "CREATE TRIGGER fail BEFORE DELETE ON interactiveMsgSqlField BEGIN SELECT RAISE(ABORT,'no'); END",
         "删除互动短信的界面记录出错了"},
        {"old rule delete",
         "CREATE TRIGGER fail BEFORE DELETE ON interactiveMsgSql BEGIN SELECT RAISE(ABORT,'no'); END",
         "删除互动短信的原条件记录出错了"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(ExecSql(nullptr, g_pDB, c.trigger), SQLITE_OK);
        EXPECT_EQ(SaveRule(QStringLiteral("R"), true, QStringLiteral("new"), "s2",
                           {Row("短信内容", "等于", "2"), Row("短信内容", "等于", "3")}),
                  0)
            << c.what;
        EXPECT_EQ(Rules(), rulesBefore) << c.what;
        EXPECT_EQ(FieldRows(), rowsBefore) << c.what;
        EXPECT_TRUE(runLog().contains(QString::fromUtf8(c.line))) << c.what;
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER fail"), SQLITE_OK);
    }
    // Nothing was left half done: the next save goes through.
    EXPECT_GT(SaveRule(QStringLiteral("R"), true, QStringLiteral("new"), "s2", {Row("短信内容", "等于", "2")}), old);
}

TEST_F(RulesDialogStore, DeleteTakesBothKindsOfRowsOfOneRuleOrNothing) {
    const int64_t a = SaveRule(QStringLiteral("A"), false, QStringLiteral("a"), "sa", {Row("短信内容", "等于", "a")});
    const int64_t b = SaveRule(QStringLiteral("B"), false, QStringLiteral("b"), "sb",
                               {Row("短信内容", "等于", "b"), Row("姓名", "等于", "b")});
    ASSERT_GT(a, 0);
    ASSERT_GT(b, 0);

    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER fail BEFORE DELETE ON interactiveMsgSqlField BEGIN SELECT RAISE(ABORT,'no'); END"),
              SQLITE_OK);
    EXPECT_FALSE(DeleteRule(b));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM interactiveMsgSql WHERE recID=" + std::to_string(b)), 1);
    EXPECT_TRUE(runLog().contains(QStringLiteral("删除互动短信的界面记录出错了")));
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER fail"), SQLITE_OK);

    EXPECT_TRUE(DeleteRule(b));
    EXPECT_EQ(Rules(), std::vector<std::string>{std::to_string(a) + "|A|a|sa"});
    EXPECT_EQ(FieldRows(), std::vector<std::string>{std::to_string(a) + "|A|短信内容|等于|a"});
}

TEST_F(RulesDialogStore, ListedByName) {
    for (const char* name : {"乙", "B", "A", "甲"})
        ASSERT_GT(SaveRule(QString::fromUtf8(name), false, QStringLiteral("r"), "s", {Row("短信内容", "等于", "x")}), 0);
    const std::vector<RuleListEntry> rules = ListRules();
    QStringList names;
    for (const RuleListEntry& r : rules) {
        names << r.name;
        EXPECT_EQ(Scalar("SELECT recID FROM interactiveMsgSql WHERE name='" + SqlEscape(r.name) + "'"), r.recID);
    }
    EXPECT_EQ(names, (QStringList{"A", "B", "乙", "甲"}));
    EXPECT_EQ(ListRuleNames(), names);
}

} // namespace
