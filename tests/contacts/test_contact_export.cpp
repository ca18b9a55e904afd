// The export of contacts by group, read back by independent programs:
// Python's csv module for the CSV files, openpyxl for the workbooks.
#include "contacts/contact_export.h"

#include "contacts/csv_writer.h"
#include "core/helpers.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "tests/support/contact_generator.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/test_helpers.h"
#include "tests/support/xlsx_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <vector>

namespace {

// The rows of a CSV file as Python's csv module reads it in code page 936.
std::vector<QStringList> ReadCsvWithPython(const QString& path) {
    static const char kReader[] = R"PY(
import csv, json, sys
with open(sys.argv[1], encoding="gbk", newline="") as f:
    sys.stdout.write(json.dumps(list(csv.reader(f, strict=True))))
)PY";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kReader), path});
    EXPECT_TRUE(python.waitForFinished(60000));
    EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    std::vector<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(python.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells << cell.toString();
        rows.push_back(cells);
    }
    return rows;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The header and rows the export should hold, read from the database: each
// value as code page 936 can carry it (CSV) or whole (.xlsx), trailing empty
// cells dropped for the .xlsx reader.
std::vector<QStringList> ExpectedRows(const QList<qint64>& groups, bool gbk, bool trimTrailing) {
    std::vector<QStringList> rows;
    QStringList header;
    const std::vector<ExportField> fields = ReadExportFields();
    for (const ExportField& f : fields)
        header << f.name;
    rows.push_back(header);
    SqlStatement st(g_pDB, ExportContactsSql(fields, groups));
    while (st.step() == SQLITE_ROW) {
        QStringList cells;
        for (int c = 0; c < st.columnCount(); ++c)
            cells << (gbk ? enc::FromGbk(enc::ToGbk(st.qtext(c))) : st.qtext(c));
        rows.push_back(cells);
    }
    if (trimTrailing)
        for (QStringList& row : rows)
            while (!row.isEmpty() && row.back().isEmpty())
                row.removeLast();
    return rows;
}

class ContactExport : public ContactsFixtureTest {
protected:
    QString file(const char* name) const { return m_folder->file(QString::fromUtf8(name)); }
    void setNote(const QString& mobile, const QString& note) {
        SqlStatement st(g_pDB, "UPDATE ContactList SET mark=? WHERE mobileNum=?");
        st.bind(1, note).bind(2, mobile);
        ASSERT_EQ(st.exec(), SQLITE_OK);
    }
};

TEST_F(ContactExport, FieldsInUseByIdWhoseColumnSortsBeforeZ) {
    // Field 22 switched on under a column that sorts after "z", field 23 under
    // one that is no column at all: neither may reach the statement.
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "UPDATE fieldDisplay SET inUse=1, nameOfValue='zz' WHERE fieldID=22;"
                "UPDATE fieldDisplay SET inUse=1, nameOfValue='name FROM fieldDisplay --' WHERE fieldID=23;"
                "UPDATE fieldDisplay SET inUse=1, name='数字', nameOfValue='numDef1' WHERE fieldID=28;"),
        SQLITE_OK);
    QStringList names, columns;
    for (const ExportField& f : ReadExportFields()) {
        names << f.name;
        columns << f.column;
    }
    EXPECT_EQ(names.size(), 23);
    EXPECT_EQ(names.mid(0, 3), (QStringList{"姓名", "性别", "手机或小灵通"}));
    EXPECT_EQ(columns.mid(19), (QStringList{"mark", "txtDef1", "numDef1", "boolDef1"}));
    EXPECT_EQ(names.mid(20), (QStringList{"爱好", "数字", "会员"}));
    EXPECT_TRUE(runLog().contains(QStringLiteral("字段23的列名无效")));
}

TEST_F(ContactExport, StatementsOfTheTickedGroups) {
    const std::vector<ExportField> fields = {{"姓名", "name"}, {"手机", "mobileNum"}};
    struct Case {
        QList<qint64> groups;
        std::string count;
        std::string rows;
        qint64 expected;
    };
    const Case cases[] = {
        {{},
         "select count(mobileNum) from contactList",
         "SELECT name,mobileNum FROM contactList a WHERE 1=1 ",
         10},
        {{3, 5},
         "select count(mobileNum) from contactList where groupID in(3,5)",
         "SELECT name,mobileNum FROM contactList a WHERE 1=1  AND ( a.groupID=3 OR a.groupID=5 )",
         1},
        {{4},
         "select count(mobileNum) from contactList where groupID in(4)",
         "SELECT name,mobileNum FROM contactList a WHERE 1=1  AND ( a.groupID=4 )",
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        EXPECT_EQ(ExportCountSql(c.groups), c.count);
        EXPECT_EQ(ExportContactsSql(fields, c.groups), c.rows);
        EXPECT_EQ(QueryScalar(g_pDB, c.count), c.expected);
        EXPECT_EQ(QueryRows(g_pDB, c.rows).size(), size_t(c.expected));
    }
}

TEST_F(ContactExport, CsvCellsSurviveAReadBack) {
    // Commas, quotes and every kind of line break, a 300-character note, a
    // character code page 936 cannot hold, a leading zero.
    const QString note = QString(QStringLiteral("备")).repeated(300);
    setNote(QStringLiteral("13800000001"), QStringLiteral("a,b \"引号\"\r\n第二行\n第三行\r末行"));
    setNote(QStringLiteral("13800000002"), note);
    setNote(QStringLiteral("13900000001"), QStringLiteral("emoji 😀 end"));
    ASSERT_EQ(
        ExecSql(nullptr, g_pDB,
                "UPDATE ContactList SET name='O\"Brien, Jr.', conTel='0012' WHERE mobileNum='13900000002';"
                "UPDATE fieldDisplay SET name='备注,说明' WHERE fieldID=20"),
        SQLITE_OK);
    // Numbers are whole also for an operator whose numbers are masked.
    QStringList rights{QStringLiteral("OP")};
    for (int i = 1; i <= 20; ++i)
        rights << QStringLiteral("1");
    g_pLoginRights = std::make_unique<QStringList>(rights);
    ASSERT_TRUE(NumbersMasked());

    const QString path = file("contacts.csv");
    const ContactExportResult result = ExportContacts(g_pDB, path, ExportFormat::Csv, {});
    g_pLoginRights.reset();
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rows, 10);
    EXPECT_EQ(ExportMessageId(result), 162);
    EXPECT_FALSE(QFile::exists(path + ".tmp"));

    const std::vector<QStringList> rows = ReadCsvWithPython(path);
    EXPECT_EQ(rows, ExpectedRows({}, true, false));
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows[0][19], QStringLiteral("备注,说明"));
    EXPECT_EQ(rows[1][2], QStringLiteral("13800000001"));
    EXPECT_EQ(rows[3][19], note);
    EXPECT_EQ(rows[6][19], QStringLiteral("emoji ? end"));

    // The header line, then records ending in CR LF; breaks inside a quoted
    // cell stay as they were.
    const QByteArray bytes = FileBytes(path);
    QStringList header;
    for (const ExportField& f : ReadExportFields())
        header << CsvWriter::QuotedCell(f.name);
    EXPECT_TRUE(bytes.startsWith(QByteArray::fromStdString(enc::ToGbk(header.join(','))) + "\r\n"));
    EXPECT_TRUE(bytes.contains(QByteArray::fromStdString(
        enc::ToGbk(QStringLiteral(",\"a,b \"\"引号\"\"\r\n第二行\n第三行\r末行\",")))));
    EXPECT_TRUE(bytes.endsWith("\r\n"));
    // Eleven records, and the CR LF inside the note of both rows of 张三.
    EXPECT_EQ(bytes.count("\r\n"), 11 + 2);
}

TEST_F(ContactExport, TickedGroupsOrAll) {
    struct Case {
        QList<qint64> groups;
        QStringList numbers;
    };
    const Case cases[] = {
        {{},
         {"13800000001", "13800000001", "13800000002", "13800000002", "13800000002", "13900000001",
          "13900000002", "13900000003", "13900000004", "13900000005"}},
        {{2}, {"13800000001"}},
        {{1, 3}, {"13800000001", "13800000002", "13800000002"}},
        {{5}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numbers.join(' ').toStdString());
        const QString path = file("groups.csv");
        const ContactExportResult result = ExportContacts(g_pDB, path, ExportFormat::Csv, c.groups);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.total, c.numbers.size());
        const std::vector<QStringList> rows = ReadCsvWithPython(path);
        ASSERT_FALSE(rows.empty());
        QStringList numbers;
        for (size_t r = 1; r < rows.size(); ++r)
            numbers << rows[r][2];
        EXPECT_EQ(numbers, c.numbers);
    }
}

TEST_F(ContactExport, WorkbookOfTextSheetsEachHeaded) {
    // 70000 contacts more than fill a sheet of 65535 rows.
    GenerateContacts(70000, 4);
    const QString note = QString(QStringLiteral("注")).repeated(300);
    setNote(QStringLiteral("13800000001"), note);
    // The most a cell holds.
    const QString longest = QString(QStringLiteral("长")).repeated(32767);
    setNote(QStringLiteral("13900000003"), longest);
    ASSERT_EQ(ExecSql(nullptr, g_pDB,
                      "UPDATE fieldDisplay SET inUse=1, name='数字', nameOfValue='numDef1' WHERE fieldID=28;"
                      "UPDATE ContactList SET numDef1=42, conTel='00123' WHERE mobileNum='13800000002'"),
              SQLITE_OK);
    const QString path = file("contacts.xlsx");
    qint64 calls = 0;
    const ContactExportResult result =
        ExportContacts(g_pDB, path, ExportFormat::Xlsx, {}, [&](qint64 done, qint64 total) {
            EXPECT_EQ(done, calls++);
            EXPECT_EQ(total, 70010);
            return true;
        });
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rows, 70010);
    EXPECT_FALSE(QFile::exists(path + ".tmp"));

    auto sheets = ReadXlsx(path);
    ASSERT_EQ(sheets.size(), 2u);
    const std::vector<QStringList>& first = sheets[QStringLiteral("Sheet1")];
    const std::vector<QStringList>& second = sheets[QStringLiteral("Sheet2")];
    ASSERT_EQ(first.size(), 65535u);
    ASSERT_EQ(second.size(), 1u + 70010 - 65534);
    EXPECT_EQ(second[0], first[0]);
    // Every row in statement order, every cell text (a number cell would
    // read "<int>"), the note whole.
    std::vector<QStringList> rows = first;
    rows.insert(rows.end(), second.begin() + 1, second.end());
    const std::vector<QStringList> expected = ExpectedRows({}, false, true);
    EXPECT_TRUE(rows == expected);
    EXPECT_EQ(first[1][19], note);
    EXPECT_EQ(first[8][19], longest);
    EXPECT_EQ(first[3][17], QStringLiteral("00123"));
    EXPECT_EQ(first[3][21], QStringLiteral("42"));
}

TEST_F(ContactExport, AFailedExportKeepsTheEarlierFile) {
    struct Case {
        const char* name;
        ExportFormat format;
        std::function<void(const QString& path)> spoil; // makes the write fail
    };
    const Case cases[] = {
        // The temporary file cannot be made, or the disk takes no bytes.
        {"tmp-taken.csv", ExportFormat::Csv, [](const QString& path) { QDir().mkdir(path + ".tmp"); }},
        {"tmp-taken.xlsx", ExportFormat::Xlsx, [](const QString& path) { QDir().mkdir(path + ".tmp"); }},
        {"full.csv", ExportFormat::Csv, [](const QString& path) { QFile::link("/dev/full", path + ".tmp"); }},
        {"full.xlsx", ExportFormat::Xlsx,
         [](const QString& path) { QFile::link("/dev/full", path + ".tmp"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = file(c.name);
        m_folder->writeFile(QString::fromUtf8(c.name), "earlier export");
        c.spoil(path);
        const ContactExportResult result = ExportContacts(g_pDB, path, c.format, {});
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(ExportMessageId(result), 194);
        EXPECT_EQ(FileBytes(path), "earlier export");
        EXPECT_FALSE(QFileInfo(path + ".tmp").isFile());
    }
    EXPECT_TRUE(runLog().contains(QStringLiteral("ERROR,导出联系人失败")));

    // A folder its user may not write to (the permission binds no superuser).
    if (geteuid() != 0) {
        const QString folder = file("locked");
        ASSERT_TRUE(QDir().mkdir(folder));
        m_folder->writeFile(QStringLiteral("locked/old.csv"), "earlier export");
        ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
        for (ExportFormat format : {ExportFormat::Csv, ExportFormat::Xlsx})
            EXPECT_FALSE(ExportContacts(g_pDB, folder + "/old.csv", format, {}).ok);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        EXPECT_EQ(FileBytes(folder + "/old.csv"), "earlier export");
    }
}

TEST_F(ContactExport, StoppedOrUnreadableRowsLeaveNothing) {
    for (ExportFormat format : {ExportFormat::Csv, ExportFormat::Xlsx}) {
        const QString path = file(format == ExportFormat::Csv ? "stop.csv" : "stop.xlsx");
        m_folder->writeFile(QFileInfo(path).fileName(), "earlier export");
        const ContactExportResult stopped =
            ExportContacts(g_pDB, path, format, {}, [](qint64 done, qint64) { return done < 3; });
        EXPECT_FALSE(stopped.ok);
        EXPECT_TRUE(stopped.cancelled);
        EXPECT_EQ(stopped.rows, 3);
        EXPECT_EQ(FileBytes(path), "earlier export");
        EXPECT_FALSE(QFile::exists(path + ".tmp"));
    }

    // The contacts cannot be read: each format's line in the run log.
    ASSERT_EQ(ExecSql(nullptr, g_pDB, "ALTER TABLE ContactList RENAME TO Gone"), SQLITE_OK);
    const ContactExportResult csv = ExportContacts(g_pDB, file("none.csv"), ExportFormat::Csv, {});
    const ContactExportResult xlsx = ExportContacts(g_pDB, file("none.xlsx"), ExportFormat::Xlsx, {});
    EXPECT_FALSE(csv.ok);
    EXPECT_FALSE(xlsx.ok);
    EXPECT_FALSE(QFile::exists(file("none.csv")));
    EXPECT_FALSE(QFile::exists(file("none.xlsx")));
    const QStringList lines = LogLines(runLog());
    EXPECT_TRUE(lines.contains(QStringLiteral("ERROR: 导出时查询联系人出错了")));
    EXPECT_TRUE(lines.contains(QStringLiteral("出错了")));
}

} // namespace
