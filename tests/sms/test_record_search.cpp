// Finding a recipient inside a send record, the replies of a send, and the
// filters the advanced query makes, run against a real database.
#include "core/sql.h"
#include "sms/record_search.h"
#include "tests/support/program_folder.h"
#include "tests/support/record_generator.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

qint64 Count(const std::string& sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

class RecordSearch : public ProgramFolderTest {
protected:
    void AddRecipient(qint64 sendId, const char* number, const char* name) {
        SqlStatement st(g_pDB, "INSERT INTO sendNums (sendID, numOrMailAddr, name) VALUES (?1, ?2, ?3)");
        st.bind(1, static_cast<int64_t>(sendId)).bind(2, number).bind(3, name);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
};

// Two records written interleaved, so a place counted over the table (or in
// an order other than the list's) comes out wrong.
TEST_F(RecordSearch, FindsTheFirstOccurrenceAndItsPlaceInTheRecipientList) {
    AddRecipient(5, "13800000001", "甲");
    AddRecipient(6, "13800000002", "外");
    AddRecipient(5, "13800000002", "乙");
    AddRecipient(6, "13800000002", "外");
    AddRecipient(5, "13800000003", "O'Neil");
    AddRecipient(5, "13800000002", "乙二");
    AddRecipient(5, "13800000004", "乙");

    struct Case {
        SeekBy by;
        const char* text;
        bool found;
        const char* name;
        const char* number;
        int position;
    } cases[] = {
        {SeekBy::Number, "13800000002", true, "乙", "13800000002", 2}, // twice in record 5: the first
        {SeekBy::Number, "13800000001", true, "甲", "13800000001", 1},
        {SeekBy::Number, "13800000004", true, "乙", "13800000004", 5},
        {SeekBy::Name, "乙", true, "乙", "13800000002", 2},
        {SeekBy::Name, "O'Neil", true, "O'Neil", "13800000003", 3},
        {SeekBy::Name, "外", false, "", "", 0},                         // only in record 6
        {SeekBy::Number, "13800000002' OR '1'='1", false, "", "", 0},
        {SeekBy::Number, "1380000000%", false, "", "", 0},              // no pattern match
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SeekResult r = SeekRecipient(g_pDB, 5, c.by, QString::fromUtf8(c.text), true);
        EXPECT_EQ(r.found, c.found);
        EXPECT_EQ(r.name, QString::fromUtf8(c.name));
        EXPECT_EQ(r.number, QString::fromUtf8(c.number));
        EXPECT_EQ(r.position, c.position);
    }
    // Without locating no place is counted.
    EXPECT_EQ(SeekRecipient(g_pDB, 5, SeekBy::Number, "13800000004", false).position, 0);
}

TEST_F(RecordSearch, PlaceMatchesTheRowOfTheRecipientListInAGeneratedRecord) {
    RecordGeneratorOptions options;
    options.records = 40;
    options.numbersPerRecord = 5;
    options.received = 0;
    const GeneratedRecords g = GenerateRecords(options);
    ASSERT_TRUE(g.ok);
    // Record 17's last number repeats its first one.
    const QString repeated = GeneratedRecordNumber(17, 0, options);
    const SeekResult r = SeekRecipient(g_pDB, g.firstSendID + 17, SeekBy::Number, repeated, true);
    ASSERT_TRUE(r.found);
    EXPECT_EQ(r.position, 1);
    EXPECT_EQ(r.name, GeneratedRecipientName(17, 0));

    const QString third = GeneratedRecordNumber(17, 3, options);
    SqlStatement list(g_pDB, "SELECT numOrMailAddr FROM sendNums WHERE sendID=?1 ORDER BY rowid");
    list.bind(1, static_cast<int64_t>(g.firstSendID + 17));
    int row = 0, expected = 0;
    while (list.step() == SQLITE_ROW) {
        ++row;
        if (!expected && list.qtext(0) == third)
            expected = row;
    }
    EXPECT_EQ(SeekRecipient(g_pDB, g.firstSendID + 17, SeekBy::Number, third, true).position, expected);
}

TEST_F(RecordSearch, RepliesOfOneSubNumberWithOneContactPerNumber) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO ContactList (name, mobileNum, coName, groupID, perNO, isDeleted) VALUES "
                      "('张三', '13900000001', '甲公司', 1, 1, 0), ('张三二', '13900000001', '甲公司', 2, 2, 0);"
                      "INSERT INTO receivedMSGRecord (receiveID, sendNum, msgContent, sendTime, alreadyRead, "
                      "send_receive_Num) VALUES (1, '13900000001', 'x', '2024-05-01 10:00:00', 1, 7),"
                      "(2, '13900000002', 'y', '2024-05-02 10:00:00', NULL, 7),"
                      "(3, '13900000001', 'z', '2024-05-03 10:00:00', 0, 8);"),
              SQLITE_OK);
    SqlStatement st(g_pDB, RelevantRepliesStatement());
    st.bind(1, SubNumberOf(QStringLiteral(" 7")));
    std::vector<std::string> rows;
    while (st.step() == SQLITE_ROW)
        rows.push_back(st.text(2) + "|" + st.text(4) + "|" + std::to_string(st.int64(23)));
    // Newest first; the number with two contacts appears once.
    EXPECT_EQ(rows, (std::vector<std::string>{"13900000002||2", "13900000001|甲公司|1"}));
    EXPECT_EQ(RelevantReplyExportNames().size(), 22);
    EXPECT_EQ(SubNumberOf(QStringLiteral("7; DROP TABLE x")), 0);
}

// ---- advanced query ----------------------------------------------------------

const QStringList kSentFields{"短信内容", "发送时间", "定时发送时间", "条数", "姓名", "手机"};
const QStringList kFaxFields{"传真文件", "发送时间", "定时发送时间", "姓名", "传真号码"};
const QStringList kSurveyFields{"短信内容", "发送时间", "条数", "姓名", "手机"};
const QStringList kReceivedFields{"姓名", "手机", "短信内容", "公司名称", "发送时间"};

struct Added {
    int field;
    int op;
    const char* value;
    bool orJoin;
};

struct FilterCase {
    const char* what;
    QueryMode mode;
    const QStringList* fields;
    std::vector<Added> added;
    const char* filter;
};

TEST(SeniorQueryFilter, ConditionsMakeTheFilterOfEachMode) {
    const FilterCase cases[] = {
        {"contains wraps in %", QueryMode::Sent, &kSentFields, {{0, 3, "促销", false}},
         " AND content like '%促销%'  AND isDraft=0 AND isFail=0"},
        {"survey: no suffix, position 2 is count", QueryMode::Survey, &kSurveyFields, {{2, 0, "1", false}},
         " AND count > '1'"},
        {"six fields: count, name, number", QueryMode::Sent, &kSentFields,
         {{3, 5, "2", false}, {4, 2, "张三", false}, {5, 4, "138", false}},
         " AND count >= '2' AND sendID IN(SELECT sendID FROM sendNums WHERE  taskID=0 AND name = '张三') AND "
         "sendID IN(SELECT sendID FROM sendNums WHERE  taskID=0 AND numOrMailAddr != '138')  AND isDraft=0 AND "
         "isFail=0"},
        {"five fields: 3 and 4 are the recipient's", QueryMode::Sent, &kFaxFields,
         {{2, 1, "2024-05-01", false}, {4, 2, "010", false}},
         " AND timingTime < '2024-05-01' AND sendID IN(SELECT sendID FROM sendNums WHERE  taskID=0 AND "
         "numOrMailAddr = '010')  AND isDraft=0 AND isFail=0"},
        {"received day", QueryMode::Received, &kReceivedFields, {{4, 2, "2024-05-01", false}},
         " AND a.sendTime like '2024-05-01%'"},
        {"received later than", QueryMode::Received, &kReceivedFields, {{4, 0, "2024-05-01", false}},
         " AND a.sendTime > '2024-05-01'"},
        {"received name and company through the contacts", QueryMode::Received, &kReceivedFields,
         {{0, 2, "张三", false}, {3, 3, "公司", true}},
         " AND (a.sendNum IN(SELECT mobileNum FROM contactList WHERE name = '张三') OR a.sendNum "
         "IN(SELECT mobileNum FROM contactList WHERE coName like '%公司%'))"},
        {"the first row's OR is no join", QueryMode::Received, &kReceivedFields, {{2, 3, "x", true}},
         " AND a.msgContent like '%x%'"},
        {"quote doubled, wildcards kept", QueryMode::Received, &kReceivedFields, {{2, 2, "It's 5_%", false}},
         " AND a.msgContent = 'It''s 5_%'"},
        {"OR kept inside the filter", QueryMode::Sent, &kSentFields, {{0, 3, "a", false}, {0, 3, "b", true}},
         " AND (content like '%a%' OR content like '%b%')  AND isDraft=0 AND isFail=0"},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.what);
        AdvancedQuery query(c.mode, *c.fields);
        for (const Added& a : c.added)
            ASSERT_EQ(query.Add(a.field, a.op, QString::fromUtf8(a.value), a.orJoin), AdvancedQuery::AddResult::Added);
        EXPECT_EQ(query.Filter(), c.filter);
    }
}

TEST(SeniorQueryFilter, RelationCellsAndJoinsFollowTheRowsAfterADelete) {
    AdvancedQuery query(QueryMode::Received, kReceivedFields);
    ASSERT_EQ(query.Add(2, 3, "a", false), AdvancedQuery::AddResult::Added);
    ASSERT_EQ(query.Add(2, 3, "b", true), AdvancedQuery::AddResult::Added);
    ASSERT_EQ(query.Add(2, 3, "c", false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(query.Cells(0), (QStringList{"", "短信内容", "包含", "a"}));
    EXPECT_EQ(query.Cells(1)[0], "或者");
    EXPECT_EQ(query.Cells(2)[0], "并且");

    query.Remove({0});
    // The old second row is first now: no relation shown, joined with AND.
    EXPECT_EQ(query.Cells(0), (QStringList{"", "短信内容", "包含", "b"}));
    EXPECT_EQ(query.Filter(), " AND a.msgContent like '%b%' AND a.msgContent like '%c%'");
    query.Remove({1, 1, 7});
    EXPECT_EQ(query.Filter(), " AND a.msgContent like '%b%'");
    query.Clear();
    EXPECT_EQ(query.Filter(), "");
}

TEST(SeniorQueryFilter, RefusesWhatCannotBecomeACondition) {
    AdvancedQuery sent(QueryMode::Sent, kSentFields);
    EXPECT_EQ(sent.Add(-1, 0, "x", false), AdvancedQuery::AddResult::NoFieldOrOperator);
    EXPECT_EQ(sent.Add(0, 7, "x", false), AdvancedQuery::AddResult::NoFieldOrOperator);
    EXPECT_EQ(sent.Add(0, 0, "", false), AdvancedQuery::AddResult::EmptyValue);
    // Time fields by place: the submit and timing times; the survey's third
    // field is its count; the received time; a contact field by its name.
    EXPECT_TRUE(sent.IsTimeField(1));
    EXPECT_TRUE(sent.IsTimeField(2));
    EXPECT_FALSE(sent.IsTimeField(0));
    EXPECT_FALSE(AdvancedQuery(QueryMode::Survey, kSurveyFields).IsTimeField(2));
    EXPECT_TRUE(AdvancedQuery(QueryMode::Received, ReceivedQueryFields()).IsTimeField(4));
    EXPECT_FALSE(AdvancedQuery(QueryMode::Received, ReceivedQueryFields()).IsTimeField(0));
    const QStringList contactFields{"姓名", "创建时间"};
    EXPECT_TRUE(AdvancedQuery(QueryMode::Contacts, contactFields, contactFields).IsTimeField(1));
    EXPECT_FALSE(AdvancedQuery(QueryMode::Contacts, contactFields, contactFields).IsTimeField(0));
    EXPECT_TRUE(sent.IsEmpty());
}

class SeniorQueryOnData : public ProgramFolderTest {};

// The filters run inside the statements of their openers.
TEST_F(SeniorQueryOnData, FiltersRunAndSelectWhatTheySay) {
    RecordGeneratorOptions options;
    options.records = 320;
    options.received = 500;
    ASSERT_TRUE(GenerateRecords(options).ok);
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO receivedMSGRecord (receiveID, sendNum, msgContent, sendTime) VALUES "
                      "(90001, '13911111111', 'O''Neil''s reply', '2024-05-01 00:00:00'),"
                      "(90002, '13911111111', 'late', '2024-05-01 23:59:59'),"
                      "(90003, '13911111111', 'next', '2024-05-02 00:00:00');"
                      "INSERT INTO ContactList (name, mobileNum, coName, groupID, perNO, isDeleted) VALUES "
                      "('O''Neil', '13911111111', 'X', 1, 1, 0);"),
              SQLITE_OK);
    const std::string received = "SELECT COUNT(*) FROM receivedMSGRecord a WHERE 1=1";
    const std::string smsSent = "SELECT COUNT(*) FROM sendInfo WHERE 1=1 AND sendType=1 AND isDraft=0 AND isFail=0";

    AdvancedQuery day(QueryMode::Received, kReceivedFields);
    ASSERT_EQ(day.Add(4, 2, "2024-05-01", false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(Count(received + day.Filter()), 2);

    AdvancedQuery quoted(QueryMode::Received, kReceivedFields);
    ASSERT_EQ(quoted.Add(2, 3, "Neil's", false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(Count(received + quoted.Filter()), 1);
    AdvancedQuery byName(QueryMode::Received, kReceivedFields);
    ASSERT_EQ(byName.Add(0, 2, "O'Neil", false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(Count(received + byName.Filter()), 3);

    // An OR between conditions stays inside the page's category.
    AdvancedQuery either(QueryMode::Sent, kSentFields);
    ASSERT_EQ(either.Add(0, 3, "促销", false), AdvancedQuery::AddResult::Added);
    ASSERT_EQ(either.Add(0, 3, "天气", true), AdvancedQuery::AddResult::Added);
    const qint64 matched = Count(smsSent + either.Filter());
    EXPECT_GT(matched, 0);
    EXPECT_EQ(matched, Count(smsSent + " AND (content LIKE '%促销%' OR content LIKE '%天气%')"));
    AdvancedQuery recipient(QueryMode::Sent, kSentFields);
    ASSERT_EQ(recipient.Add(5, 2, GeneratedRecordNumber(2, 1), false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(Count(smsSent + recipient.Filter()), 1);
}

TEST_F(SeniorQueryOnData, ContactColumnsAreCheckedAgainstTheTable) {
    const QStringList fields{"姓名", "手机", "坏"};
    const QStringList columns{"name", "mobileNum", "name=name OR 1"};
    AdvancedQuery query(QueryMode::Contacts, fields, columns, g_pDB);
    EXPECT_EQ(query.Add(0, 2, "李四", false), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(query.Add(1, 3, "139", true), AdvancedQuery::AddResult::Added);
    EXPECT_EQ(query.Add(2, 2, "x", false), AdvancedQuery::AddResult::UnknownColumn);
    EXPECT_EQ(query.Filter(), " AND (name = '李四' OR mobileNum like '%139%')");
    EXPECT_EQ(Count("SELECT COUNT(*) FROM ContactList WHERE 1=1" + query.Filter()), 0);
}

} // namespace
