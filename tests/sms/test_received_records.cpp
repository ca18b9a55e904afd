#include "sms/received_records.h"

#include "contacts/contact_list_query.h"
#include "core/helpers.h"
#include "core/sql.h"
#include "core/sql_guard.h"
#include "platform/ini.h"
#include "sms/recipient_intake.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xlsx_reader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A few received messages:
//   rowid 1  13800000001 张三  read      2024-04-30 10:00:00
//   rowid 2  13800000002 李四  unread    2024-05-01 09:00:00  (receiveID 7)
//   rowid 3  13800000003 NULL  unread    2024-05-01 23:59:59  (receiveID 7 again)
//   rowid 4  12345       王五  NULL read 2024-05-02 08:00:00  text "第一行\r\n第二行,逗号"
void LoadMessages(sqlite3* db) {
    ASSERT_EQ(
        ExecSql(nullptr, db,
                "INSERT INTO receivedMSGRecord(rowid,receiveID,sendNum,msgContent,sendTime,alreadyRead,name,"
                "coName,send_receive_Num) VALUES"
                "(1,5,'13800000001','你好','2024-04-30 10:00:00',1,'张三','甲公司',-1),"
                "(2,7,'13800000002','it''s','2024-05-01 09:00:00',0,'李四','',3),"
                "(3,7,'13800000003','重复的id','2024-05-01 23:59:59',0,NULL,NULL,-1),"
                "(4,9,'12345','第一行\r\n第二行,逗号','2024-05-02 08:00:00',NULL,'王五','乙公司',-1);"),
        SQLITE_OK);
}

// Counts the statements that change the table, through triggers that write
// to a log table of their own.
void WatchWrites(sqlite3* db) {
    ASSERT_EQ(ExecSql(nullptr, db,
                      "CREATE TABLE writes(what TEXT, id INTEGER);"
                      "CREATE TRIGGER w_upd AFTER UPDATE ON receivedMSGRecord BEGIN "
                      "INSERT INTO writes VALUES('update', NEW.rowid); END;"
                      "CREATE TRIGGER w_del AFTER DELETE ON receivedMSGRecord BEGIN "
                      "INSERT INTO writes VALUES('delete', OLD.rowid); END;"),
              SQLITE_OK);
}

QStringList Column(sqlite3* db, const std::string& sql) {
    QStringList out;
    SqlStatement st(db, sql);
    while (st.step() == SQLITE_ROW)
        out << st.qtext(0);
    return out;
}

QStringList Numbers(ReceivedRecords& records) {
    QStringList out;
    for (int r = 0; r < records.Count(); ++r)
        out << records.Cell(r, kRecvNumber);
    return out;
}

QString IconvFromCp936(const QString& path) {
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP936"), QStringLiteral("-t"),
                                          QStringLiteral("UTF-8"), path});
    EXPECT_TRUE(iconv.waitForFinished(10000));
    EXPECT_EQ(iconv.exitCode(), 0);
    return QString::fromUtf8(iconv.readAllStandardOutput());
}

class ReceivedViewRecords : public ProgramFolderTest {
protected:
    void SetUp() override {
        ProgramFolderTest::SetUp();
        LoadMessages(g_pDB);
        ReceivedSortState().Reset();
        g_pLoginRights = std::make_unique<QStringList>(QStringList{QStringLiteral("AD")});
    }
    void TearDown() override {
        g_pLoginRights.reset();
        ReceivedSortState().Reset();
        ProgramFolderTest::TearDown();
    }
    static void SetOperatorRights(std::initializer_list<int> denied) {
        QStringList rights(21, QStringLiteral("1"));
        rights[0] = QStringLiteral("OP");
        for (int r : denied)
            rights[r] = QStringLiteral("0");
        g_pLoginRights = std::make_unique<QStringList>(rights);
    }
};

TEST_F(ReceivedViewRecords, DefaultOrderHeaderSortsAndDates) {
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.Query(QString(), -1));
    EXPECT_TRUE(records.ListStatement().endsWith(QLatin1String(" ORDER BY sendTime DESC, rowid")));
    EXPECT_TRUE(records.ListStatement().contains(QLatin1String("FROM receivedMSGRecord a WHERE 1=1 ")));
    EXPECT_EQ(Numbers(records), (QStringList{"12345", "13800000003", "13800000002", "13800000001"}));
    EXPECT_EQ(records.MaxRowid(), 4);

    // One header twice: ascending, then descending; another header: ascending.
    ASSERT_TRUE(records.Query(QString(), kRecvNumber));
    EXPECT_TRUE(records.ListStatement().endsWith(QLatin1String("sendNum  collate pinyin ASC, rowid")));
    EXPECT_EQ(Numbers(records).first(), QStringLiteral("12345"));
    ASSERT_TRUE(records.Query(QString(), kRecvNumber));
    EXPECT_TRUE(records.ListStatement().endsWith(QLatin1String("sendNum collate pinyin DESC, rowid")));
    EXPECT_EQ(Numbers(records).first(), QStringLiteral("13800000003"));
    ASSERT_TRUE(records.Query(QString(), kRecvTime));
    EXPECT_TRUE(records.ListStatement().endsWith(QLatin1String("sendTime  collate pinyin ASC, rowid")));
    // A date query returns to the default order.
    ASSERT_TRUE(records.Query(ReceivedRecords::DateFilter(QDate(2024, 4, 30), QDate(2024, 5, 1)), -1));
    EXPECT_TRUE(records.ListStatement().endsWith(QLatin1String(" ORDER BY sendTime DESC, rowid")));
    EXPECT_EQ(ReceivedSortState().Direction(), 0);

    struct Case {
        QDate from, to;
        QStringList numbers;
    } cases[] = {
        // The to-date includes its whole day, the last second too.
        {QDate(), QDate(2024, 5, 1), {"13800000003", "13800000002", "13800000001"}},
        // From is "after the day began": the day itself counts.
        {QDate(2024, 5, 1), QDate(), {"12345", "13800000003", "13800000002"}},
        {QDate(2024, 5, 1), QDate(2024, 5, 1), {"13800000003", "13800000002"}},
        {QDate(2024, 5, 3), QDate(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ReceivedRecords::DateFilter(c.from, c.to).toStdString());
        ASSERT_TRUE(records.Query(ReceivedRecords::DateFilter(c.from, c.to), -1));
        EXPECT_EQ(Numbers(records), c.numbers);
    }
}

TEST_F(ReceivedViewRecords, SavedConditionsReadWholeAndHostileOnesRunNothing) {
    // A saved condition of 150 characters: cut at 99 it would not parse.
    QString condition =
        QStringLiteral(" AND (a.sendNum='13800000002' OR a.msgContent like '%nothing at all here%')");
    while (condition.size() < 150)
        condition += QStringLiteral(" AND 1=1");
    ASSERT_GE(condition.size(), 150);
    const QString ini = m_folder->file(QStringLiteral("account.ini"));
    ASSERT_TRUE(ini::WriteString(ini, QStringLiteral("ReceiveMsg"), QStringLiteral("Sql"), condition));
    const ReceivedShowSettings settings = ReadReceivedShowSettings(ini);
    EXPECT_FALSE(settings.showAll);
    EXPECT_FALSE(settings.showSome);
    // Settings values lose their leading blanks; the condition still joins.
    EXPECT_EQ(settings.sql, condition.trimmed());
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.Query(settings.sql, -1));
    EXPECT_EQ(Numbers(records), QStringList{"13800000002"});
    EXPECT_EQ(records.Filter(), settings.sql);
    // A re-query (after a VACUUM) keeps the condition.
    ASSERT_TRUE(records.Requery());
    EXPECT_EQ(Numbers(records), QStringList{"13800000002"});

    WatchWrites(g_pDB);
    const char* hostile[] = {
        "1=1; DELETE FROM receivedMSGRecord",
        " AND 1=1; DELETE FROM receivedMSGRecord",
        " AND 1=1; DELETE FROM receivedMSGRecord; --",
        " AND 1=1) ; UPDATE receivedMSGRecord SET alreadyRead=5; SELECT (1",
    };
    for (const char* text : hostile) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(records.Query(QString::fromUtf8(text), -1));
        EXPECT_EQ(records.Count(), 0);
        EXPECT_TRUE(records.Filter().isEmpty());
    }
    EXPECT_EQ(Column(g_pDB, "SELECT COUNT(*) FROM receivedMSGRecord"), QStringList{"4"});
    EXPECT_EQ(Column(g_pDB, "SELECT COUNT(*) FROM writes"), QStringList{"0"});
    EXPECT_TRUE(LogLines(runLog()).contains(QStringLiteral("加载接收到的短信记录列表出错了")));
    // A trailing semicolon or comment is no second statement.
    EXPECT_TRUE(records.Query(QStringLiteral(" AND a.sendNum like '138%'; -- mine"), -1));
    EXPECT_EQ(records.Count(), 3);
}

TEST_F(ReceivedViewRecords, MarkReadByRowidOnceOnly) {
    WatchWrites(g_pDB);
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.Query(QString(), -1));
    // Row 2 is rowid 2 (receiveID 7, shared with rowid 3).
    ASSERT_EQ(records.Rowid(2), 2);
    EXPECT_FALSE(records.IsRead(2));
    EXPECT_EQ(records.MarkRead(2), 1);
    EXPECT_TRUE(records.IsRead(2));
    EXPECT_EQ(records.MarkRead(2), 0);
    // A read row and a NULL-read row.
    EXPECT_EQ(records.MarkRead(3), 0);
    EXPECT_FALSE(records.IsRead(0)) << "NULL is unread";
    EXPECT_EQ(Column(g_pDB, "SELECT what||id FROM writes"), QStringList{"update2"});
    EXPECT_EQ(Column(g_pDB, "SELECT rowid FROM receivedMSGRecord WHERE alreadyRead=1 ORDER BY rowid"),
              (QStringList{"1", "2"}))
        << "the other message with the same receiveID stays unread";
    // The cache changed without a re-query; a re-query agrees.
    ASSERT_TRUE(records.Requery());
    EXPECT_TRUE(records.IsRead(2));
}

TEST_F(ReceivedViewRecords, DeletePathFollowsTheLastQueryAndItsSnapshot) {
    struct Case {
        const char* what;
        QString filter;
        bool selectAll;
        bool wholeTable;
        QStringList left;
    } cases[] = {
        {"all rows, no filter", {}, true, true, {"5"}},
        {"all rows, a date filter",
         ReceivedRecords::DateFilter(QDate(2024, 5, 1), QDate()),
         true,
         false,
         {"1", "5"}},
        {"all rows, a saved condition",
         QStringLiteral(" AND a.sendNum like '138%'"),
         true,
         false,
         {"4", "5"}},
        {"some rows, no filter", {}, false, false, {"1", "2", "5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM receivedMSGRecord"), SQLITE_OK);
        LoadMessages(g_pDB);
        ReceivedRecords records(g_pDB);
        ASSERT_TRUE(records.Query(c.filter, -1));
        // A message stored after the query.
        ASSERT_EQ(ExecSql(nullptr, g_pDB,
                          "INSERT INTO receivedMSGRecord(rowid,receiveID,sendNum,msgContent,sendTime) "
                          "VALUES(5,11,'13900000009','新的','2024-05-01 12:00:00')"),
                  SQLITE_OK);
        std::vector<RowSpan> spans;
        if (c.selectAll)
            spans = {{0, records.Count() - 1}};
        else
            spans = {{0, 0}, {1, 1}}; // the two newest: rowids 4 and 3
        EXPECT_EQ(records.CoversAll(spans), c.selectAll);
        const ReceivedRecords::DeleteOutcome outcome = records.Delete(spans);
        EXPECT_TRUE(outcome.ok);
        EXPECT_EQ(outcome.wholeTable, c.wholeTable);
        EXPECT_EQ(Column(g_pDB, "SELECT rowid FROM receivedMSGRecord ORDER BY rowid"), c.left);
    }
}

TEST_F(ReceivedViewRecords, AFailingBatchDeletesNothing) {
    // 25,000 messages more: three batches; the trigger fails the last one.
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<25000) "
                      "INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent,sendTime,alreadyRead) "
                      "SELECT i, '139'||printf('%08d',i), 'm', '2024-06-01 00:00:00', 0 FROM n;"
                      "CREATE TRIGGER no_delete BEFORE DELETE ON receivedMSGRecord WHEN OLD.receiveID=25000 "
                      "BEGIN SELECT RAISE(ABORT,'kept'); END;"),
              SQLITE_OK);
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.Query(QStringLiteral(" AND sendTime>'2024-06'"), -1));
    ASSERT_EQ(records.Count(), 25000);
    const ReceivedRecords::DeleteOutcome outcome = records.Delete({{0, records.Count() - 1}});
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(outcome.wholeTable);
    EXPECT_EQ(Column(g_pDB, "SELECT COUNT(*) FROM receivedMSGRecord"), QStringList{"25004"});
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,删除接收的短信记录出错")));

    // Without the trigger the same selection goes, and only it.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "DROP TRIGGER no_delete"), SQLITE_OK);
    const ReceivedRecords::DeleteOutcome again = records.Delete({{0, 9999}, {10000, records.Count() - 1}});
    EXPECT_TRUE(again.ok);
    EXPECT_EQ(again.deleted, 25000);
    EXPECT_EQ(Column(g_pDB, "SELECT COUNT(*) FROM receivedMSGRecord"), QStringList{"4"});
}

TEST_F(ReceivedViewRecords, MaskedForRightSixteenInListAndExports) {
    QStringList operatorWith16(21, QStringLiteral("1"));
    operatorWith16[0] = QStringLiteral("OP");
    struct Case {
        const char* who;
        QStringList rights;
        QStringList shown; // column 2 in list order
    } cases[] = {
        {"administrator", {QStringLiteral("AD")}, {"12345", "13800000003", "13800000002", "13800000001"}},
        {"operator with right 16", operatorWith16, {"123**", "138****0003", "138****0002", "138****0001"}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.who);
        g_pLoginRights = std::make_unique<QStringList>(c.rights);
        ReceivedRecords records(g_pDB);
        ASSERT_TRUE(records.Query(QString(), -1));
        QStringList shown;
        for (int r = 0; r < records.Count(); ++r)
            shown << records.DisplayCell(r, kRecvNumber);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(records.Cell(1, kRecvNumber), QStringLiteral("13800000003")) << "the real number stays";
        EXPECT_EQ(records.DisplayCell(0, kRecvRead), QString()) << "the read cell shows a box, no text";

        const QString xlsx = dir.filePath(QString::fromUtf8(c.who) + ".xlsx");
        const RecordExportResult x = records.ExportXlsx(xlsx);
        ASSERT_TRUE(x.ok) << x.error.toStdString();
        const auto book = ReadXlsx(xlsx);
        ASSERT_EQ(book.count(QStringLiteral("已接收短信记录")), 1u);
        std::vector<QStringList> rows = book.at(QStringLiteral("已接收短信记录"));
        // The format writes a CR as "_x000D_", which the reader leaves as it is.
        for (QStringList& row : rows)
            row.replaceInStrings(QStringLiteral("_x000D_"), QStringLiteral("\r"));
        ASSERT_EQ(rows.size(), 5u);
        EXPECT_EQ(rows[0], (QStringList{"姓名", "联系电话", "短信内容", "公司名称", "发送时间"}));
        EXPECT_EQ(rows[1], (QStringList{"王五", c.shown[0], "第一行\r\n第二行,逗号", "乙公司",
                                        "2024-05-02 08:00:00"}));
        EXPECT_EQ(rows[2], (QStringList{"", c.shown[1], "重复的id", "", "2024-05-01 23:59:59"}));

        const QString csv = dir.filePath(QString::fromUtf8(c.who) + ".csv");
        ASSERT_TRUE(records.ExportCsv(csv).ok);
        EXPECT_EQ(IconvFromCp936(csv),
                  QStringLiteral("姓名,联系电话,短信内容,公司名称,发送时间\n"
                                 "王五,%1,第一行 第二行，逗号,乙公司,2024-05-02 08:00:00\n"
                                 ",%2,重复的id,,2024-05-01 23:59:59\n"
                                 "李四,%3,it's,,2024-05-01 09:00:00\n"
                                 "张三,%4,你好,甲公司,2024-04-30 10:00:00\n")
                      .arg(c.shown[0], c.shown[1], c.shown[2], c.shown[3]));
    }
}

TEST_F(ReceivedViewRecords, ExportStreamsWithinTheCacheBound) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i<10000) "
                      "INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent,sendTime,alreadyRead) "
                      "SELECT i, '139'||printf('%08d',i), 'm'||i, '2024-06-01', 0 FROM n;"),
              SQLITE_OK);
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.Query(QString(), -1));
    size_t most = 0;
    RecordRowReader inner = RowSourceReader(records.Source(), {kRecvNumber});
    QTemporaryDir dir;
    const RecordExportResult result =
        ExportRecordsCsv(dir.filePath(QStringLiteral("big.csv")), {"n"}, [&](QStringList& cells) {
            most = std::max(most, records.Source().CachedRows());
            return inner(cells);
        });
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.rows, 10004);
    EXPECT_LE(most, static_cast<size_t>(records.Source().CacheBound() + RowSource::kWindowRows));
}

TEST_F(ReceivedViewRecords, ReplyStatementHoldsEverySenderOfTheFilteredListOnly) {
    ReceivedRecords records(g_pDB);
    // A condition beginning " OR " must not reach past the bound either.
    struct Case {
        QString filter;
        QStringList senders;
    } cases[] = {
        {ReceivedRecords::DateFilter(QDate(2024, 5, 1), QDate(2024, 5, 1)), {"13800000003", "13800000002"}},
        {QStringLiteral(" OR a.sendNum='13900000009'"),
         {"12345", "13800000003", "13800000002", "13800000001"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter.toStdString());
        ASSERT_TRUE(records.Query(c.filter, -1));
        ASSERT_EQ(ExecSql(nullptr, g_pDB,
                          "INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent,sendTime) "
                          "VALUES(12,'13900000009','later','2024-05-01 12:00:00')"),
                  SQLITE_OK);
        const QString statement = RecipientQueryStatement(records.BoundedListStatement());
        ASSERT_FALSE(statement.isEmpty());
        EXPECT_EQ(Column(g_pDB, statement.toStdString()), c.senders);
        ASSERT_EQ(ExecSql(nullptr, g_pDB, "DELETE FROM receivedMSGRecord WHERE receiveID=12"), SQLITE_OK);
    }
}

TEST_F(ReceivedViewRecords, CustomerReportByteForByte) {
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "INSERT INTO sendInfo(content,submitTime,sendID,sendType,isDraft,isFail) VALUES"
                      "('通知,第一\r\n第二','2024-05-01 08:00:00',1,1,0,0),"
                      "('too early','2024-04-01 08:00:00',2,1,0,0),"
                      "('传真','2024-05-01 08:00:00',3,2,0,0);"
                      "INSERT INTO sendNums(sendID,numOrMailAddr,name) VALUES"
                      "(1,'13800000002','李四'),(1,'13700000000','无回复'),(2,'13800000002',''),"
                      "(3,'13800000002','');"
                      // A NULL reply text and time from a number that replied.
                      "INSERT INTO receivedMSGRecord(receiveID,sendNum,msgContent,sendTime) "
                      "VALUES(20,'13600000000',NULL,NULL);"
                      "INSERT INTO sendNums(sendID,numOrMailAddr) VALUES(1,'13600000000');"),
              SQLITE_OK);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("report.csv"));
    ReceivedRecords records(g_pDB);
    ASSERT_TRUE(records.ExportCustomerReport(path, QDateTime(QDate(2024, 5, 1), QTime(0, 0)),
                                             QDateTime(QDate(2024, 5, 1), QTime(23, 59))));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains('\r'));
    // Rows in the join's order; sort the data lines for a stable comparison.
    QStringList lines = IconvFromCp936(path).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.takeLast(), QString()) << "every line ends in \\n";
    const QString header = lines.takeFirst();
    EXPECT_EQ(header, QStringLiteral("手机号,发送内容,发送时间,是否回复,回复内容,回复时间"));
    lines.sort();
    EXPECT_EQ(lines, (QStringList{
                         "13600000000,通知，第一第二,2024-05-01 08:00:00,1,,",
                         "13700000000,通知，第一第二,2024-05-01 08:00:00,0,,",
                         "13800000002,通知，第一第二,2024-05-01 08:00:00,1,it's,2024-05-01 09:00:00",
                     }));
    // The bytes are code page 936, not UTF-8.
    EXPECT_TRUE(bytes.startsWith(QByteArray("\xca\xd6\xbb\xfa\xba\xc5,", 7)));

    // The range is bound: a quote in a value is text, not SQL.
    EXPECT_TRUE(records.ExportCustomerReport(dir.filePath(QStringLiteral("none.csv")),
                                             QDateTime(QDate(2025, 1, 1), QTime(0, 0)),
                                             QDateTime(QDate(2025, 1, 2), QTime(0, 0))));
}

} // namespace

namespace {

TEST(ReceivedViewStatementGuard, OneReadOnlyStatementOrNothing) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr), SQLITE_OK);
    struct Case {
        const char* sql;
        bool allowed;
    } cases[] = {
        {"SELECT x FROM t WHERE 1=1 ", true},
        {"SELECT x FROM t WHERE 1=1 AND x like '%;%'", true},
        {"SELECT x FROM t;", true},
        {"SELECT x FROM t; ; ", true},
        {"SELECT x FROM t -- a note", true},
        {"SELECT x FROM t /* a note */ ;", true},
        {"WITH w AS (SELECT 1) SELECT * FROM w", true},
        {"SELECT x FROM t; DELETE FROM t", false},
        {"SELECT x FROM t; SELECT 1", false},
        {"DELETE FROM t", false},
        {"UPDATE t SET x=1", false},
        {"SELECT x FROM t WHERE 1=1 1=1; DELETE FROM t", false},
        {"SELECT x FROM", false},
        {"", false},
        {"  ", false},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(IsSingleReadOnlyStatement(db, c.sql, &why), c.allowed) << c.sql;
        EXPECT_EQ(why.empty(), c.allowed) << c.sql;
    }
    // Nothing ran: the table still has no row and no change was made.
    EXPECT_EQ(sqlite3_total_changes(db), 0);
    EXPECT_FALSE(IsSingleReadOnlyStatement(nullptr, "SELECT 1"));
    sqlite3_close(db);
}

} // namespace
