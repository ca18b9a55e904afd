// The logic of the record page: what each record node lists, its orders and
// date filters, refusing a statement that is not one read-only statement,
// rows named by rowid across records written later, survey replies, deletes
// in one transaction and the numbers CSV.
#include "contacts/contact_list_query.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/row_source.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "sms/sent_records.h"
#include "tests/support/program_folder.h"
#include "tests/support/record_generator.h"

#include <QFile>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

void Insert(const SentRecordRow& r) {
    ASSERT_TRUE(InsertSentRecord(r, 7));
}

void InsertNumber(qint64 sendId, const QString& number, const QString& name, const QString& status = {}) {
    ASSERT_TRUE(InsertSendNumber(sendId, number, name, status));
}

void InsertReply(const QString& number, const char* time, const QString& text) {
    SqlStatement st(g_pDB,
                    "INSERT INTO receivedMSGRecord (receiveID,sendNum,msgContent,sendTime,name,coName) "
                    "VALUES (1,?,?,?,'n','co')");
    st.bind(1, number).bind(2, text);
    if (time)
        st.bind(3, time);
    else
        st.bindNull(3);
    ASSERT_EQ(st.exec(), SQLITE_OK);
}

qint64 Scalar(const std::string& sql) {
    SqlStatement st(g_pDB, sql);
    return st.step() == SQLITE_ROW ? st.int64(0) : -1;
}

// Column `column` of every row of the source, in list order.
QStringList Column(RowSource& rows, int column) {
    QStringList texts;
    for (int row = 0; row < rows.Count(); ++row)
        texts << rows.CellText(row, column);
    return texts;
}

class RecordViewLogic : public ProgramFolderTest {
protected:
    void TearDown() override {
        g_pLoginRights.reset();
        ProgramFolderTest::TearDown();
    }
};

// ---- the category table ----------------------------------------------------------

struct CategoryCase {
    qint64 code;
    const char* title;
    const char* countLabel;
    QStringList exportNames;
    QStringList recipientHeadings;
    const char* totalCaption;
    // 1004, 1014, 1168, 10006, recipient menu, 10001
    bool advanced, perResend, statistics, deleteAll, recipientMenu, replySearch;
};

const CategoryCase kCategories[] = {
    {1000000001,
     "短信草稿记录",
     "草稿记录条数:",
     {"短信内容", "发送时间", "条数"},
     {"姓名", "手机"},
     "",
     false,
     false,
     false,
     false,
     true,
     false},
    {1000000002,
     "短信失败记录",
     "发送失败记录条数:",
     {"短信内容", "发送时间", "定时发送时间", "条数"},
     {"姓名", "手机"},
     "",
     false,
     true,
     false,
     true,
     true,
     true},
    {1000000003,
     "短信成功记录",
     "发送成功记录条数:",
     {"短信内容", "发送时间", "定时发送时间", "条数"},
     {"姓名", "手机", "发送状态"},
     "    条数合计",
     true,
     false,
     true,
     true,
     true,
     true},
    {1000000005,
     "调查记录",
     "调查记录条数:",
     {"短信内容", "发送时间", "条数"},
     {"姓名", "手机", "单位", "回复内容"},
     "合计",
     true,
     false,
     false,
     false,
     false,
     false},
    {1000002001,
     "传真草稿记录",
     "草稿记录条数:",
     {"传真文件", "发送时间"},
     {"姓名", "传真号码"},
     "",
     false,
     false,
     false,
     false,
     false,
     false},
    {1000002003,
     "传真成功记录",
     "发送成功记录条数:",
     {"传真文件", "发送时间", "定时发送时间"},
     {"姓名", "传真号码", "发送状态"},
     "",
     true,
     false,
     false,
     false,
     false,
     false},
    {1000003002,
     "邮件失败记录",
     "发送失败记录条数:",
     {"主题", "发送时间", "定时发送时间"},
     {"姓名", "邮件地址"},
     "",
     false,
     false,
     false,
     false,
     false,
     false},
    {1000004003,
     "彩信成功记录",
     "发送成功记录条数:",
     {"主题", "发送时间", "定时发送时间", "条数"},
     {"姓名", "手机", "发送状态"},
     "    条数合计",
     true,
     false,
     false,
     false,
     true,
     false},
    {1000004001,
     "彩信草稿记录",
     "草稿记录条数:",
     {"主题", "发送时间"},
     {"姓名", "手机"},
     "",
     false,
     false,
     false,
     false,
     true,
     false},
    {1000005002,
     "语音失败记录",
     "发送失败记录条数:",
     {"主题", "发送时间", "定时发送时间"},
     {"姓名", "手机"},
     "",
     false,
     false,
     false,
     false,
     false,
     false},
};

TEST_F(RecordViewLogic, CategoryTable) {
    for (const CategoryCase& c : kCategories) {
        SCOPED_TRACE(c.code);
        const std::optional<RecordCategory> category = RecordCategoryFor(c.code);
        ASSERT_TRUE(category);
        EXPECT_EQ(category->title, QString::fromUtf8(c.title));
        EXPECT_EQ(category->countLabel, QString::fromUtf8(c.countLabel));
        EXPECT_EQ(category->exportNames, c.exportNames);
        QStringList headings;
        for (const RecordListColumn& col : category->columns)
            headings << col.heading.trimmed();
        // The list shows exactly what an export writes.
        EXPECT_EQ(headings, c.exportNames);
        QStringList recipients;
        for (const RecordListColumn& col : category->recipientColumns)
            recipients << col.heading;
        EXPECT_EQ(recipients, c.recipientHeadings);
        EXPECT_EQ(category->totalCaption, QString::fromUtf8(c.totalCaption));
        const QStringList fields = c.exportNames + QStringList{"姓名", c.recipientHeadings.at(1)};
        EXPECT_EQ(category->fieldNames, fields);
        EXPECT_EQ(category->advancedQuery, c.advanced);
        EXPECT_EQ(category->perResend, c.perResend);
        EXPECT_EQ(category->statistics, c.statistics);
        EXPECT_EQ(category->deleteAll, c.deleteAll);
        EXPECT_EQ(category->recipientMenu, c.recipientMenu);
        EXPECT_EQ(category->replySearch, c.replySearch);
    }
    for (qint64 code :
         {qint64(1000000000), qint64(1000000004), qint64(1000002004), qint64(1000006001), qint64(5)})
        EXPECT_FALSE(RecordCategoryFor(code)) << code;
}

TEST_F(RecordViewLogic, EachCategoryListsOnlyItsRecords) {
    // One record of every kind of every channel, and a survey; the content
    // names the record.
    qint64 id = 1;
    for (int type = 1; type <= 5; ++type) {
        Insert({id++, type, 1, 0, "", "2024-01-01 10:00:00"});
        Insert({id++, type, 0, 1, "", "2024-01-01 10:00:00"});
        Insert({id++, type, 0, 0, "", "2024-01-01 10:00:00"});
    }
    Insert({id++, 6, 0, 0, "", "2024-01-01 10:00:00"});
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "UPDATE sendInfo SET content='t'||sendType||'d'||isDraft||'f'||isFail"),
              SQLITE_OK);
    struct Case {
        qint64 code;
        const char* content;
    };
    const Case cases[] = {{1000000001, "t1d1f0"}, {1000000002, "t1d0f1"}, {1000000003, "t1d0f0"},
                          {1000000005, "t6d0f0"}, {1000002001, "t2d1f0"}, {1000002002, "t2d0f1"},
                          {1000003003, "t3d0f0"}, {1000004002, "t4d0f1"}, {1000005001, "t5d1f0"},
                          {1000005003, "t5d0f0"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const RecordCategory category = *RecordCategoryFor(c.code);
        RowSource rows;
        const RecordListResult result = OpenRecordList(
            g_pDB, rows, RecordListStatement(category, QString(), QString::fromLatin1(kDefaultRecordOrder)));
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(Column(rows, 0), QStringList{c.content});
        // The sendID sits where the page looks for it, the rowid last.
        const qint64 sendId = rows.CellText(0, category.sendIdColumn).toLongLong();
        EXPECT_EQ(Scalar("SELECT content='" + std::string(c.content) +
                         "' FROM sendInfo WHERE sendID=" + std::to_string(sendId)),
                  1);
        EXPECT_EQ(rows.CellText(0, rows.ColumnCount() - 1).toLongLong(), rows.Rowid(0));
    }
}

// ---- order and dates ---------------------------------------------------------------

TEST_F(RecordViewLogic, HeaderClicksToggleAndTheDefaultOrderReturns) {
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    const RecordCategory survey = *RecordCategoryFor(1000000005);
    struct Step {
        const RecordCategory* category;
        int column;
        const char* order;
    };
    const Step steps[] = {
        {&sent, -1, " ORDER BY submitTime DESC, rowid"},
        {&sent, 0, " ORDER BY content  collate pinyin ASC, rowid"},
        {&sent, 0, " ORDER BY content collate pinyin DESC, rowid"},
        {&sent, 0, " ORDER BY content  collate pinyin ASC, rowid"},
        {&sent, 2, " ORDER BY timingTime  collate pinyin ASC, rowid"},
        // The state is shared: the survey's column 2 is "count", another column.
        {&survey, 2, " ORDER BY count  collate pinyin ASC, rowid"},
        {&survey, 2, " ORDER BY count collate pinyin DESC, rowid"},
        {&survey, -1, " ORDER BY submitTime DESC, rowid"},
        // After the default order, the same column starts ascending again.
        {&survey, 2, " ORDER BY count  collate pinyin ASC, rowid"},
    };
    RecordOrderClause(sent, -1);
    for (const Step& s : steps)
        EXPECT_EQ(RecordOrderClause(*s.category, s.column), QString::fromLatin1(s.order)) << s.column;
    RecordOrderClause(sent, -1);
}

TEST_F(RecordViewLogic, DateFilterTakesWholeDays) {
    const char* times[] = {"2024-04-30 23:59:59", "2024-05-01 00:00:00", "2024-05-01 23:59:59",
                           "2024-05-02 00:00:00", "2024-05-03 12:00:00"};
    qint64 id = 1;
    for (const char* t : times)
        Insert({id++, 1, 0, 0, t, t});
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    struct Case {
        std::optional<QDate> from, to;
        QStringList listed;
    };
    const QDate may1(2024, 5, 1), may2(2024, 5, 2);
    const Case cases[] = {
        {std::nullopt, may1, {"2024-05-01 23:59:59", "2024-05-01 00:00:00", "2024-04-30 23:59:59"}},
        {may1, may1, {"2024-05-01 23:59:59", "2024-05-01 00:00:00"}},
        {may2, std::nullopt, {"2024-05-03 12:00:00", "2024-05-02 00:00:00"}},
        {std::nullopt,
         std::nullopt,
         {"2024-05-03 12:00:00", "2024-05-02 00:00:00", "2024-05-01 23:59:59", "2024-05-01 00:00:00",
          "2024-04-30 23:59:59"}},
    };
    for (const Case& c : cases) {
        RowSource rows;
        const QString filter = RecordDateFilter(c.from, c.to);
        ASSERT_TRUE(
            OpenRecordList(g_pDB, rows,
                           RecordListStatement(sent, filter, QString::fromLatin1(kDefaultRecordOrder)))
                .ok)
            << filter.toStdString();
        EXPECT_EQ(Column(rows, 1), c.listed) << filter.toStdString();
    }
}

TEST_F(RecordViewLogic, OnlyOneReadOnlyStatementRuns) {
    Insert({1, 1, 0, 0, "it's", "2024-01-01 10:00:00", 3});
    Insert({2, 1, 0, 0, "other", "2024-01-02 10:00:00", 4});
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    struct Case {
        const char* filter;
        bool runs;
        int rows;
    };
    const Case cases[] = {
        {" AND content LIKE 'it''s%'", true, 1},
        {"", true, 2},
        {" AND 1=1; DELETE FROM sendInfo", false, 0},
        {" AND 1=1; DELETE FROM sendInfo; SELECT 1 FROM sendInfo WHERE 1=1", false, 0},
        {" AND content='unclosed", false, 0},
    };
    for (const Case& c : cases) {
        RowSource rows;
        const RecordListResult result = OpenRecordList(
            g_pDB, rows,
            RecordListStatement(sent, QString::fromUtf8(c.filter), QString::fromLatin1(kDefaultRecordOrder)));
        EXPECT_EQ(result.ok, c.runs) << c.filter;
        EXPECT_EQ(rows.Count(), c.rows) << c.filter;
        // The "条数合计" is the list's own.
        if (c.runs) {
            EXPECT_EQ(result.total, c.rows == 1 ? 3 : 7) << c.filter;
        }
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM sendInfo"), 2);
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,CDlgMsgRecord::QueryRecords,")));
}

// ---- rows named by rowid -------------------------------------------------------------

TEST_F(RecordViewLogic, RecordsWrittenAfterTheQueryAreInNoSelection) {
    for (int i = 1; i <= 6; ++i)
        Insert({i, 1, 0, 0, "old", QString("2024-01-0%1 10:00:00").arg(i).toUtf8().constData()});
    Insert({50, 1, 0, 1, "failed", "2024-01-01 10:00:00"});
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    RowSource rows;
    const RecordListResult result = OpenRecordList(
        g_pDB, rows, RecordListStatement(sent, QString(), QString::fromLatin1(kDefaultRecordOrder)));
    ASSERT_TRUE(result.ok);
    // Newer than everything listed: a re-run query would put it at row 0.
    Insert({99, 1, 0, 0, "new", "2030-01-01 10:00:00"});
    std::vector<qint64> ids;
    ASSERT_TRUE(SendIdsOfRows(g_pDB, rows, {{0, 1}, {4, 5}}, &ids));
    EXPECT_EQ(ids, (std::vector<qint64>{6, 5, 2, 1}));
    // Select all, then delete: the new record stays.
    ASSERT_TRUE(SendIdsOfRows(g_pDB, rows, {{0, rows.Count() - 1}}, &ids));
    ASSERT_TRUE(DeleteSentRecords(g_pDB, ids));
    SqlStatement left(g_pDB,
                      "SELECT group_concat(sendID) FROM (SELECT sendID FROM sendInfo ORDER BY sendID)");
    ASSERT_EQ(left.step(), SQLITE_ROW);
    EXPECT_EQ(left.qtext(0), QStringLiteral("50,99"));

    // Delete all is bounded by the query as well.
    Insert({7, 1, 0, 0, "again", "2024-02-01 10:00:00"});
    ASSERT_TRUE(OpenRecordList(g_pDB, rows,
                               RecordListStatement(sent, QString(), QString::fromLatin1(kDefaultRecordOrder)))
                    .ok);
    const qint64 bound = MaxSendInfoRowid(g_pDB);
    Insert({100, 1, 0, 0, "after", "2030-01-02 10:00:00"});
    ASSERT_TRUE(DeleteAllSmsRecords(g_pDB, RecordKind::Sent, bound));
    SqlStatement kept(g_pDB,
                      "SELECT group_concat(sendID) FROM (SELECT sendID FROM sendInfo ORDER BY sendID)");
    ASSERT_EQ(kept.step(), SQLITE_ROW);
    EXPECT_EQ(kept.qtext(0), QStringLiteral("50,100"));
}

// ---- survey -----------------------------------------------------------------------------

TEST_F(RecordViewLogic, SurveyRepliesComeFromItsRecipientsInItsWindow) {
    Insert({10, 6, 0, 0, "你喜欢哪个?", "2024-05-01 10:00:00", 1, "2024-05-01 12:00:00"});
    InsertNumber(10, "13800000001", "甲");
    InsertNumber(10, "13800000002", "乙");
    InsertNumber(10, "13800000003", "丙");
    InsertReply("13800000001", "2024-05-01 10:30:00", "A");
    InsertReply("13800000001", "2024-05-01 11:00:00", "A again"); // one number twice
    InsertReply("13800000002", "2024-05-01 13:00:00", "late");    // after the window
    InsertReply("13900000009", nullptr, "somebody else");         // no time, not a recipient
    InsertReply("13800000003", "2024-04-30 09:00:00", "early");   // before the window
    const RecordCategory survey = *RecordCategoryFor(1000000005);
    const QString from = QStringLiteral("2024-05-01 10:00:00"), to = QStringLiteral("2024-05-01 12:00:00");
    RowSource rows;
    ASSERT_TRUE(rows.Open(g_pDB, RecordDetailStatement(survey, 10, from, to), RowOrder::Fixed));
    EXPECT_EQ(Column(rows, 3), (QStringList{"A", "A again"}));
    EXPECT_EQ(Column(rows, 1), (QStringList{"13800000001", "13800000001"}));
    // Two of three recipients sent nothing: the double reply counts once.
    EXPECT_EQ(SurveyNoReplyCount(g_pDB, 10, from, to), 2);

    // More replies than recipients never gives a negative count.
    Insert({11, 6, 0, 0, "?", "2024-06-01 10:00:00", 1, "2024-06-01 12:00:00"});
    InsertNumber(11, "13700000001", "丁");
    for (int i = 0; i < 3; ++i)
        InsertReply("13700000001", "2024-06-01 11:00:00", "x");
    EXPECT_EQ(SurveyNoReplyCount(g_pDB, 11, QStringLiteral("2024-06-01 10:00:00"),
                                 QStringLiteral("2024-06-01 12:00:00")),
              0);
    EXPECT_TRUE(SurveyText(2, QStringLiteral("问题")).startsWith(QStringLiteral("没回复条数: 2\r\n\r\n===")));
}

// ---- deletes ---------------------------------------------------------------------------------

// Every statement the connection runs, as the engine saw it.
class StatementTrace {
public:
    explicit StatementTrace(sqlite3* db) : m_db(db) {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &StatementTrace::Seen, this);
    }
    ~StatementTrace() { sqlite3_trace_v2(m_db, 0, nullptr, nullptr); }
    int Starting(const char* head) const {
        int n = 0;
        for (const std::string& s : m_statements)
            if (s.rfind(head, 0) == 0)
                ++n;
        return n;
    }

private:
    static int Seen(unsigned, void* self, void* stmt, void* text) {
        const char* sql = static_cast<const char*>(text);
        // Trigger bodies arrive as "-- ..." lines; only top-level statements count.
        if (sql && std::string(sql).rfind("--", 0) != 0)
            static_cast<StatementTrace*>(self)->m_statements.emplace_back(sql);
        (void)stmt;
        return 0;
    }
    sqlite3* m_db;
    std::vector<std::string> m_statements;
};

class RecordViewDeletes : public RecordViewLogic {
protected:
    // `n` SMS sent records with one number and one attachment each, and one
    // failed record that no delete touches.
    void Fill(int n) {
        SqlTransaction t(g_pDB);
        SqlStatement info(g_pDB, "INSERT INTO sendInfo (content,submitTime,isDraft,isFail,sendID,sendType) "
                                 "VALUES ('x','2024-01-01 10:00:00',0,0,?,1)");
        SqlStatement nums(g_pDB, "INSERT INTO sendNums (sendID,numOrMailAddr) VALUES (?,'13800000000')");
        SqlStatement att(g_pDB, "INSERT INTO attachmentContent (sendID) VALUES (?)");
        for (int i = 1; i <= n; ++i) {
            for (SqlStatement* st : {&info, &nums, &att}) {
                st->reset();
                st->bind(1, i);
                ASSERT_EQ(st->exec(), SQLITE_OK);
            }
        }
        ASSERT_EQ(t.commit(), SQLITE_OK);
        Insert({900000, 1, 0, 1, "failed", "2024-01-01 10:00:00"});
        InsertNumber(900000, "13900000000", "keep");
    }
    qint64 Rows(const char* table) { return Scalar(std::string("SELECT COUNT(*) FROM ") + table); }
};

TEST_F(RecordViewDeletes, TwentyFiveThousandRecordsGoInThreeBatchesPerTableInOneTransaction) {
    Fill(25000);
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    RowSource rows;
    ASSERT_TRUE(OpenRecordList(g_pDB, rows,
                               RecordListStatement(sent, QString(), QString::fromLatin1(kDefaultRecordOrder)))
                    .ok);
    ASSERT_EQ(rows.Count(), 25000);
    std::vector<qint64> ids;
    ASSERT_TRUE(SendIdsOfRows(g_pDB, rows, {{0, 24999}}, &ids));
    ASSERT_EQ(ids.size(), 25000u);
    {
        StatementTrace trace(g_pDB);
        ASSERT_TRUE(DeleteSentRecords(g_pDB, ids));
        EXPECT_EQ(trace.Starting("BEGIN IMMEDIATE"), 1);
        EXPECT_EQ(trace.Starting("DELETE FROM sendNums WHERE sendID           in("), 3);
        EXPECT_EQ(trace.Starting("DELETE FROM sendInfo WHERE sendID           in("), 3);
        EXPECT_EQ(trace.Starting("DELETE FROM attachmentContent  WHERE sendID in("), 3);
        EXPECT_EQ(trace.Starting("COMMIT"), 1);
    }
    EXPECT_EQ(Rows("sendInfo"), 1);
    EXPECT_EQ(Rows("sendNums"), 1);
    EXPECT_EQ(Rows("attachmentContent"), 0);
}

TEST_F(RecordViewDeletes, AFailingBatchDeletesNothing) {
    Fill(25000);
    // The last batch (ids 20001..25000) fails on its attachments, after
    // two whole batches and that batch's numbers and records went.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "CREATE TRIGGER refuse BEFORE DELETE ON attachmentContent WHEN old.sendID=24000 "
                      "BEGIN SELECT RAISE(ABORT, 'refused'); END"),
              SQLITE_OK);
    std::vector<qint64> ids;
    for (int i = 1; i <= 25000; ++i)
        ids.push_back(i);
    EXPECT_FALSE(DeleteSentRecords(g_pDB, ids));
    EXPECT_EQ(Rows("sendInfo"), 25001);
    EXPECT_EQ(Rows("sendNums"), 25001);
    EXPECT_EQ(Rows("attachmentContent"), 25000);
    // The connection is usable: no transaction was left open.
    EXPECT_NE(sqlite3_get_autocommit(g_pDB), 0);
}

TEST_F(RecordViewDeletes, DeleteAllTakesOnlyItsKindOfSms) {
    Insert({1, 1, 0, 0, "sms sent", "2024-01-01 10:00:00"});
    Insert({2, 1, 0, 1, "sms failed", "2024-01-01 10:00:00"});
    Insert({3, 1, 1, 0, "sms draft", "2024-01-01 10:00:00"});
    Insert({4, 4, 0, 0, "mms sent", "2024-01-01 10:00:00"});
    Insert({5, 6, 0, 0, "survey", "2024-01-01 10:00:00"});
    for (int id = 1; id <= 5; ++id)
        InsertNumber(id, "1380000000" + QString::number(id), "n");
    const qint64 bound = MaxSendInfoRowid(g_pDB);
    struct Case {
        RecordKind kind;
        bool ok;
        const char* left;
    };
    const Case cases[] = {
        {RecordKind::Draft, false, "1,2,3,4,5"},
        {RecordKind::Survey, false, "1,2,3,4,5"},
        {RecordKind::Sent, true, "2,3,4,5"},
        {RecordKind::Failed, true, "3,4,5"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeleteAllSmsRecords(g_pDB, c.kind, bound), c.ok);
        for (const char* table : {"sendInfo", "sendNums"}) {
            SqlStatement st(g_pDB, std::string("SELECT group_concat(sendID) FROM (SELECT sendID FROM ") +
                                       table + " ORDER BY sendID)");
            ASSERT_EQ(st.step(), SQLITE_ROW);
            EXPECT_EQ(st.qtext(0), QString::fromLatin1(c.left)) << table;
        }
    }
}

TEST_F(RecordViewLogic, DeleteLogLines) {
    struct Case {
        qint64 code;
        const char* line;
    };
    const Case cases[] = {{1000000002, "删除了短信发送失败记录 3 条"},
                          {1000000003, "删除了短信发送成功记录 3 条"},
                          {1000002002, "删除了传真发送失败记录 3 条"},
                          {1000003003, "删除了邮件发送成功记录 3 条"},
                          {1000004003, "删除了彩信发送成功记录 3 条"},
                          {1000005002, "删除了语音发送失败记录 3 条"},
                          {1000000001, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(DeleteLogLine(*RecordCategoryFor(c.code), 3), QString::fromUtf8(c.line)) << c.code;
}

// ---- the numbers CSV and the resend triples ----------------------------------------------------

TEST_F(RecordViewLogic, NumbersCsvIsMaskedForTheMaskedOperator) {
    Insert({1, 1, 0, 0, "x", "2024-01-01 10:00:00"});
    InsertNumber(1, "13812345678", "张三,李");
    InsertNumber(1, "12345", "王五");
    const RecordCategory sent = *RecordCategoryFor(1000000003);
    const QString detail = RecordDetailStatement(sent, 1);
    const QString path = m_folder->file(QStringLiteral("numbers.csv"));
    struct Case {
        QStringList rights;
        const char* content;
    };
    QStringList masked(17, QStringLiteral("1"));
    masked[0] = QStringLiteral("OP");
    const Case cases[] = {
        {masked, "姓名,号码\n张三，李,138****5678\n王五,123**\n"},
        {QStringList{QStringLiteral("AD")}, "姓名,号码\n张三，李,13812345678\n王五,12345\n"},
    };
    for (const Case& c : cases) {
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        QString error;
        ASSERT_TRUE(ExportNumberList(g_pDB, detail, path, &error)) << error.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes, QByteArray::fromStdString(enc::ToGbk(QString::fromUtf8(c.content))));
    }
    // A list that cannot be read leaves no file behind, not a header alone.
    QFile::remove(path);
    QString error;
    EXPECT_FALSE(ExportNumberList(g_pDB, QStringLiteral("SELECT name, nope FROM sendNums"), path, &error));
    EXPECT_EQ(error, QStringLiteral("query failed"));
    EXPECT_FALSE(QFile::exists(path));

    QStringList triples;
    ASSERT_TRUE(RecipientTriples(g_pDB, detail, &triples));
    EXPECT_EQ(triples, (QStringList{"13812345678", "张三,李", "0", "12345", "王五", "0"}));
}

} // namespace
