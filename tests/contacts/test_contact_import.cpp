// The contact import engine over CSV files: what lands in ContactList and
// ContactGroup, how lines are counted, and that a failed, cut or cancelled
// import leaves nothing behind.
#include "contacts/contact_import.h"
#include "core/sql.h"
#include "core/string_table.h"
#include "platform/encoding.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <vector>

namespace {

// The fixture's database as a text, to show that an import changed nothing.
std::vector<std::string> Snapshot() {
    std::vector<std::string> rows = QueryRows(g_pDB, "SELECT * FROM ContactList ORDER BY rowid");
    for (const std::string& row : QueryRows(g_pDB, "SELECT * FROM ContactGroup ORDER BY rowid"))
        rows.push_back("group " + row);
    for (const std::string& row : QueryRows(g_pDB, "SELECT * FROM autoFieldInfo ORDER BY rowid"))
        rows.push_back("field " + row);
    return rows;
}

class ContactImport : public ContactsFixtureTest {
protected:
    QString Write(const std::string& bytes, const QString& name = QStringLiteral("in.csv")) {
        m_folder->writeFile(name, QByteArray::fromStdString(bytes));
        return m_folder->file(name);
    }
    // A CSV import of `path` with 姓名 -> name, 手机 -> mobileNum.
    static ImportRequest Csv(const QString& path, std::vector<int> groups = {4}) {
        ImportRequest r;
        r.mode = kImportCsv;
        r.path = path;
        r.fieldMap = {{1, QStringLiteral("姓名")}, {3, QStringLiteral("手机")}};
        r.groups = std::move(groups);
        r.defaultGroupId = 4;
        return r;
    }
    // Rows added after the fixture's, "name|mobileNum|groupID|perNO|displayIndex".
    static std::vector<std::string> NewRows() {
        return QueryRows(g_pDB, "SELECT name,mobileNum,groupID,perNO,displayIndex FROM ContactList "
                                "WHERE rowid>10 ORDER BY rowid");
    }
    QStringList log() const { return LogLines(runLog()); }
};

TEST_F(ContactImport, LinesGetConsecutiveIdsAndEveryTickedGroupARow) {
    const QString path = Write("姓名,手机\r\n甲一,13800000011\r\n乙二,13800000012\r\n丙三,13800000013\r\n");
    ImportOutcome one = RunContactImport(g_pDB, Csv(path));
    EXPECT_EQ(one.status, ImportOutcome::Status::Done);
    EXPECT_EQ(ImportOutcomeText(Csv(path), one), QStringLiteral("文件共3条记录,此次导入成功3条,失败0条"));
    // The fixture's largest perNO is 9 and displayIndex 7.
    EXPECT_EQ(NewRows(), (std::vector<std::string>{"甲一|13800000011|4|10|8", "乙二|13800000012|4|11|9",
                                                   "丙三|13800000013|4|12|10"}));

    ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
    const ImportOutcome two = RunContactImport(g_pDB, Csv(path, {1, 3}));
    EXPECT_EQ(ImportOutcomeText(Csv(path), two), QStringLiteral("文件共3条记录,此次导入成功3条,失败0条"))
        << "a line counts once";
    const std::vector<std::string> rows = NewRows();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT COUNT(DISTINCT perNO), COUNT(DISTINCT displayIndex), "
                  "group_concat(groupID) FROM (SELECT * FROM ContactList WHERE rowid>10 ORDER BY rowid)"),
        std::vector<std::string>{"3|6|1,3,1,3,1,3"});
    EXPECT_EQ(QueryScalar(g_pDB, "SELECT COUNT(*) FROM ContactList WHERE rowid>10 AND perNO<=12"), 0)
        << "ids never repeat, also those of rolled-back or earlier imports";
}

TEST_F(ContactImport, LinesAcrossBlockEndsAndWithoutAFinalLineEndImportOnce) {
    std::string bytes = "姓名,手机\n";
    std::vector<std::string> want;
    for (int i = 0; i < 300; ++i) {
        const std::string mobile = std::to_string(13800000000LL + i);
        bytes += "名" + std::to_string(i) + "," + mobile + (i % 2 ? "\r\n" : "\n");
        want.push_back("名" + std::to_string(i) + "|" + mobile);
    }
    bytes += "末,13900000000"; // no line end
    want.push_back("末|13900000000");
    for (const size_t block : {size_t(5), size_t(1000), size_t(0)}) {
        SCOPED_TRACE(block);
        ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
        ImportRequest r = Csv(Write(bytes));
        r.blockSize = block;
        const ImportOutcome o = RunContactImport(g_pDB, r);
        EXPECT_EQ(o.status, ImportOutcome::Status::Done);
        EXPECT_EQ(o.total, 301);
        EXPECT_EQ(o.imported, 301);
        EXPECT_EQ(QueryRows(g_pDB, "SELECT name,mobileNum FROM ContactList WHERE rowid>10 ORDER BY rowid"),
                  want);
    }
}

TEST_F(ContactImport, ACellIsTrimmedAndLosesOnlyTheDecimalOfALongNumber) {
    const struct {
        const char* raw;
        bool formatDate;
        const char* stored;
    } cases[] = {
        {" \t13800138000.0\r", false, "13800138000"},
        {"0085212345678.0", false, "0085212345678"},
        {"1380013800.0", false, "1380013800.0"}, // ten digits: no phone number
        {"2.0", false, "2.0"},
        {"13800138000.00", false, "13800138000.00"},
        {"13800138000.05", false, "13800138000.05"},
        {"北京市海淀区中关村大街1.05号", false, "北京市海淀区中关村大街1.05号"},
        {"a13800138000.0", false, "a13800138000.0"},
        {"'", false, "'"},
        {" 2012/1/2 ", false, "2012/1/2"},
        {"2012/1/2", true, "2012-01-02"},
        {"2012-10-19", true, "2012-10-19"},
        {"2012.3.4", true, "2012-03-04"},
        {"2012年3月14日", true, "2012-03-14"},
        {"2012年3月14日 8:30", true, "2012-03-14"},
        {"2012年3月14日8:30:15", true, "2012-03-14"},
        {"2012/3/14 18:05:59", true, "2012-03-14"},
        {"2012-3-14 25:00", true, "2012-3-14 25:00"},
        {"2012-2-30", true, "2012-2-30"},
        {"2012-1/2", true, "2012-1/2"},
        {"12/1/2012", true, "12/1/2012"},
        {"明天", true, "明天"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        const QString raw = QString::fromUtf8(c.raw);
        EXPECT_EQ(ImportCellText(raw, c.formatDate), QString::fromUtf8(c.stored))
            << c.raw << " " << c.formatDate;
    }
}

// The cell rules reach the database: only date fields are formatted, and
// only when asked.
TEST_F(ContactImport, DatesAreFormattedOnlyInDateFieldsWhenAsked) {
    const QString path = Write("姓名,手机,生日,备注,日期\n"
                               "甲,13800138000.0,2012/1/2,2012/1/2,2013年2月3日\n");
    for (const bool format : {false, true}) {
        ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
        ImportRequest r = Csv(path);
        r.fieldMap.emplace(4, QStringLiteral("生日"));
        r.fieldMap.emplace(20, QStringLiteral("备注"));
        r.fieldMap.emplace(33, QStringLiteral("日期"));
        r.formatDates = format;
        ASSERT_EQ(RunContactImport(g_pDB, r).imported, 1);
        EXPECT_EQ(QueryRows(g_pDB, "SELECT mobileNum,birthDay,mark,dateDef1 FROM ContactList WHERE rowid>10"),
                  std::vector<std::string>{format ? "13800138000|2012-01-02|2012/1/2|2013-02-03"
                                                  : "13800138000|2012/1/2|2012/1/2|2013年2月3日"});
    }
}

TEST_F(ContactImport, ColumnsAreFoundByNameAndShortLinesFail) {
    const QString path = Write("备注,手机,姓名\n"
                               "m1,13800000021,甲\n"
                               "m2,13800000022\n" // no 姓名
                               "\"m,3\",13800000023,乙\n"
                               "m4,13800000024,丙,extra\n");
    ImportRequest r = Csv(path);
    r.fieldMap.emplace(20, QStringLiteral("备注"));
    r.fieldMap.emplace(9, QStringLiteral("家庭电话")); // not in the file: ignored
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共4条记录,此次导入成功3条,失败1条"));
    EXPECT_EQ(
        QueryRows(g_pDB, "SELECT name,mobileNum,mark,faTel FROM ContactList WHERE rowid>10 ORDER BY rowid"),
        (std::vector<std::string>{"甲|13800000021|m1|<null>", "乙|13800000023|m,3|<null>",
                                  "丙|13800000024|m4|<null>"}));
    EXPECT_TRUE(log().contains(QStringLiteral("导入联系人插入固定字段值时出错了")));

    // Without the caller's column names the file's own header serves.
    ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
    r.columns = QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
    EXPECT_EQ(RunContactImport(g_pDB, r).imported, 0) << "the caller's names decide";
    r.columns.clear();
    EXPECT_EQ(RunContactImport(g_pDB, r).imported, 3);
}

TEST_F(ContactImport, ALineTheDatabaseRefusesFailsAloneAndTheRestCommits) {
    // The fixture's trigger refuses a contact named FAIL; this one refuses
    // one group only, so the line's row in the other group must go too.
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse_group BEFORE INSERT ON ContactList WHEN NEW.name='半' AND NEW.groupID=3 "
            "BEGIN SELECT RAISE(ABORT, 'no'); END;");
    const QString path =
        Write("姓名,手机\n好,13800000031\nFAIL,13800000032\n半,13800000033\n也好,13800000034\n");
    ImportRequest r = Csv(path, {1, 3});
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(o.status, ImportOutcome::Status::Done);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共4条记录,此次导入成功2条,失败2条"));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT name,groupID FROM ContactList WHERE rowid>10 ORDER BY rowid"),
              (std::vector<std::string>{"好|1", "好|3", "也好|1", "也好|3"}));
    EXPECT_EQ(log().filter(QStringLiteral("导入联系人插入固定字段值时出错了")).size(), 2);
}

TEST_F(ContactImport, AGroupColumnMakesOneNewGroupPerNameUnderTheDefaultGroup) {
    const QString path = Write("姓名,手机,分组\n"
                               "甲,13800000041,朋友\n"
                               "乙,13800000042,A\n" // a group named A exists: a new one is made all the same
                               "丙,13800000043, 朋友 \n"
                               "丁,13800000044,\n"
                               "戊,13800000045\n" // no group cell: fails
                               "己,13800000046,O'Neil\n");
    ImportRequest r = Csv(path, {});
    r.groupColumn = QStringLiteral("分组");
    r.fieldMap.emplace(0, QStringLiteral("分组"));
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共6条记录,此次导入成功5条,失败1条"));
    EXPECT_EQ(
        QueryRows(g_pDB,
                  "SELECT GroupID,GroupName,MasterID FROM ContactGroup WHERE GroupID>5 ORDER BY GroupID"),
        (std::vector<std::string>{"6|朋友|4", "7|A|4", "8|无分组|4", "9|O'Neil|4"}));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT name,groupID FROM ContactList WHERE rowid>10 ORDER BY rowid"),
              (std::vector<std::string>{"甲|6", "乙|7", "丙|6", "丁|8", "己|9"}));
    EXPECT_TRUE(log().contains(QStringLiteral("导入联系人插入字段值时出错了")));

    // A second import of the same file makes its groups again.
    RunContactImport(g_pDB, r);
    EXPECT_EQ(QueryRows(g_pDB, "SELECT GroupID,GroupName FROM ContactGroup WHERE GroupID>9 ORDER BY GroupID"),
              (std::vector<std::string>{"10|朋友", "11|A", "12|无分组", "13|O'Neil"}));
}

TEST_F(ContactImport, AGroupThatCannotBeMadeFailsItsLines) {
    ExecSql(nullptr, g_pDB,
            "CREATE TRIGGER refuse_group BEFORE INSERT ON ContactGroup WHEN NEW.GroupName='坏' "
            "BEGIN SELECT RAISE(ABORT, 'no'); END;");
    ImportRequest r =
        Csv(Write("姓名,手机,分组\n甲,13800000051,坏\n乙,13800000052,好\n丙,13800000053,坏\n"), {});
    r.groupColumn = QStringLiteral("分组");
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共3条记录,此次导入成功1条,失败2条"));
    EXPECT_EQ(QueryRows(g_pDB, "SELECT c.name,g.GroupName FROM ContactList c LEFT JOIN ContactGroup g "
                               "ON g.GroupID=c.groupID WHERE c.rowid>10"),
              std::vector<std::string>{"乙|好"})
        << "no contact points to a group that does not exist";
    EXPECT_EQ(log().filter(QStringLiteral("导入联系人插入分组名称时出错了")).size(), 1);
}

// A file cut short while it is read, a cancel from the progress callback, a
// commit the database refuses: nothing of the import stays, groups included.
TEST_F(ContactImport, AnImportThatDoesNotFinishLeavesNothing) {
    std::string bytes = "姓名,手机,分组\n";
    for (int i = 0; i < 2000; ++i)
        bytes += "名" + std::to_string(i) + "," + std::to_string(13800000000LL + i) + ",组" +
                 std::to_string(i % 7) + "\n";
    const std::vector<std::string> before = Snapshot();
    struct Case {
        const char* what;
        std::function<bool(const QString& path, int call)> progress;
        ImportOutcome::Status status;
        const char* text;
    };
    const Case cases[] = {
        {"cut short", [](const QString& path, int call) { return call != 2 || QFile::resize(path, 9000); },
         ImportOutcome::Status::ReadFailed, "读取文件失败\n本次没有导入任何联系人。"},
        {"cancelled midway", [](const QString&, int call) { return call < 4; },
         ImportOutcome::Status::Cancelled, "本次没有导入任何联系人。"},
        {"cancelled at the end",
         [](const QString&, int call) { return call < 1000; }, // the callback's last call is refused below
         ImportOutcome::Status::Cancelled, "本次没有导入任何联系人。"},
        {"commit refused",
         [](const QString&, int) {
             // A deferred check that fails at commit.
             return true;
         },
         ImportOutcome::Status::CommitFailed, "写入数据库失败\n本次没有导入任何联系人。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Write(bytes);
        ImportRequest r = Csv(path, {});
        r.groupColumn = QStringLiteral("分组");
        r.blockSize = 4096;
        int calls = 0;
        qint64 lastDone = -1;
        const bool refuseLast = std::string(c.what) == "cancelled at the end";
        const bool failCommit = std::string(c.what) == "commit refused";
        if (failCommit)
            ExecSql(nullptr, g_pDB,
                    "PRAGMA foreign_keys=ON; CREATE TABLE parent(id INTEGER PRIMARY KEY); "
                    "CREATE TABLE child(p INTEGER REFERENCES parent(id) DEFERRABLE INITIALLY DEFERRED); "
                    "CREATE TRIGGER dangle AFTER INSERT ON ContactList WHEN NEW.name='名1999' "
                    "BEGIN INSERT INTO child VALUES(42); END;");
        const ImportOutcome o = RunContactImport(g_pDB, r, [&](qint64 done, qint64 total) {
            ++calls;
            EXPECT_GE(done, lastDone);
            EXPECT_EQ(total, static_cast<qint64>(bytes.size()));
            lastDone = done;
            if (refuseLast && done == total)
                return false;
            return c.progress(path, calls);
        });
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(o.imported, 0);
        EXPECT_EQ(ImportOutcomeText(r, o), QString::fromUtf8(c.text));
        EXPECT_EQ(Snapshot(), before);
        EXPECT_TRUE(sqlite3_get_autocommit(g_pDB)) << "no transaction left open";
        if (failCommit)
            ExecSql(nullptr, g_pDB, "DROP TRIGGER dangle; PRAGMA foreign_keys=OFF;");
    }
}

TEST_F(ContactImport, FilesThatCannotBeReadGiveTheirText) {
    const struct {
        const char* what;
        QString path;
        ImportOutcome::Status status;
        const char* text;
    } cases[] = {
        {"missing", m_folder->file(QStringLiteral("none.csv")), ImportOutcome::Status::OpenFailed,
         "打开文件失败\n本次没有导入任何联系人。"},
        {"a folder", m_folder->path(), ImportOutcome::Status::OpenFailed,
         "打开文件失败\n本次没有导入任何联系人。"},
        {"UTF-16",
         Write(std::string("\xFF\xFE"
                           "a\0",
                           4),
               QStringLiteral("u.csv")),
         ImportOutcome::Status::Utf16Refused,
         "不支持UTF-16编码的文件,请另存为UTF-8或ANSI编码后再导入.\n本次没有导入任何联系人。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ImportOutcome o = RunContactImport(g_pDB, Csv(c.path));
        EXPECT_EQ(o.status, c.status);
        EXPECT_EQ(ImportOutcomeText(Csv(c.path), o), QString::fromUtf8(c.text));
    }
    // An empty file or a header alone: nothing to import, and that is no failure.
    for (const std::string& bytes : {std::string(), std::string("姓名,手机\r\n")}) {
        const ImportOutcome o = RunContactImport(g_pDB, Csv(Write(bytes)));
        EXPECT_EQ(o.status, ImportOutcome::Status::Done);
        EXPECT_EQ(ImportOutcomeText(Csv({}), o), QStringLiteral("文件共0条记录,此次导入成功0条,失败0条"));
    }
}

TEST_F(ContactImport, CodePage936AndUtf8FilesImportAlike) {
    const QString text = QStringLiteral(
        "姓名,手机,地址\r\n张三,13800000061,\"北京,海淀\"\r\n李\"四,13800000062,\"一\n二\"\r\n");
    std::vector<std::string> first;
    for (const std::string& bytes :
         {enc::ToGbk(text), text.toStdString(), "\xEF\xBB\xBF" + text.toStdString()}) {
        ExecSql(nullptr, g_pDB, "DELETE FROM ContactList WHERE rowid>10");
        ImportRequest r = Csv(Write(bytes));
        r.fieldMap.emplace(16, QStringLiteral("地址"));
        ASSERT_EQ(RunContactImport(g_pDB, r).imported, 2);
        const std::vector<std::string> rows =
            QueryRows(g_pDB, "SELECT name,mobileNum,conAddr FROM ContactList WHERE rowid>10 ORDER BY rowid");
        if (first.empty())
            first = rows;
        EXPECT_EQ(rows, first);
    }
    EXPECT_EQ(first, (std::vector<std::string>{"张三|13800000061|北京,海淀", "李\"四|13800000062|一\n二"}));
}

TEST_F(ContactImport, ARecordOverAMegabyteIsOneFailedLine) {
    const std::string bytes =
        "姓名,手机\n甲,13800000071\n" + std::string(2 * 1024 * 1024, 'x') + ",1\n乙,13800000072\n";
    const ImportRequest r = Csv(Write(bytes));
    const ImportOutcome o = RunContactImport(g_pDB, r);
    EXPECT_EQ(ImportOutcomeText(r, o), QStringLiteral("文件共3条记录,此次导入成功2条,失败1条"));
    EXPECT_TRUE(log().filter(QStringLiteral("第3行")).size() == 1) << runLog().toStdString();
}

TEST_F(ContactImport, OutcomeTexts) {
    using S = ImportOutcome::Status;
    ImportRequest database;
    database.mode = kImportDatabase;
    ImportOutcome done;
    done.total = 5;
    done.imported = 3;
    done.failed = 2;
    EXPECT_EQ(ImportOutcomeText(database, done), QStringLiteral("源数据共5条记录,此次导入成功3条,失败2条"));
    ImportOutcome failed;
    failed.status = S::SourceError;
    failed.detail = QStringLiteral("[HY000] no such column: x %d");
    EXPECT_EQ(
        ImportOutcomeText(database, failed),
        QStringLiteral("连接数据库异常!\r\n错误信息:[HY000] no such column: x %d\n本次没有导入任何联系人。"));
    failed.status = S::ConnectFailed;
    EXPECT_EQ(ImportOutcomeText(database, failed),
              QStringLiteral("连接数据库失败!\n本次没有导入任何联系人。"));

    ASSERT_TRUE(SetUiLanguage(kLangEnglish));
    EXPECT_EQ(ImportOutcomeText(database, done),
              QStringLiteral("The source holds 5 records: 3 imported, 2 failed"));
    EXPECT_EQ(ImportOutcomeText(database, failed),
              QStringLiteral("Failed to connect to the database!\nNo contacts were imported."));
    SetUiLanguage(kLangChinese);
}

} // namespace
