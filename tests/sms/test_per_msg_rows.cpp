// Personalised-SMS rows: import numbers, placeholders, marks, parts, and the
// reading of import files (CSV in several encodings and line ends, sheets
// saved through the spreadsheet layer).
#include "sms/per_msg_rows.h"
#include "sms/per_msg_submission.h"
#include "sms/sms_text.h"

#include "contacts/spreadsheet.h"
#include "core/database.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"
#include "platform/encoding.h"
#include "tests/support/contacts_fixture.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <QFile>

#include <xlsxwriter.h>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// Every row of a source as "number|text|mark|contact id|send time".
QStringList Rows(const VIRTUAL_LIST_PERMSG& rows) {
    QStringList out;
    VIRTUAL_LIST_PERMSG::Message m;
    for (int i = 0; i < rows.GetCount(); ++i) {
        EXPECT_TRUE(rows.GetMessage(i, &m));
        out << QStringLiteral("%1|%2|%3|%4|%5")
                   .arg(NumberFromKey(m.key), m.text, m.mark, QString::number(m.contactId), m.sendTime);
    }
    return out;
}

// ------------------------------------------------------------ numbers

TEST(PerMsgRows, ImportNumbers) {
    struct Case {
        const char* cell;
        const char* sent; // nullptr: refused
    };
    const Case cases[] = {
        {"13000000000", "13000000000"},
        {"20000000000", "20000000000"},
        {"13800138000.0", "13800138000"},
        {" 13800138000 ", "13800138000"},
        {"01012345678", "01012345678"},
        {"02112345678", "02112345678"},
        {"0755123456", "0755123456"},     // ten characters
        {"075512345678", "075512345678"}, // twelve
        {"12999999999", nullptr},
        {"20000000001", nullptr},
        {"20123456789", nullptr}, // a leading "2" is no kept zero
        {"01391234567", nullptr}, // a mobile number written with a "0"
        {"0085212345678", nullptr},
        {"138-0013-8000", nullptr},
        {"13800138000.5", nullptr},
        {"075512345", nullptr},     // nine characters
        {"0755123456789", nullptr}, // thirteen
        {"", nullptr},
        {"１３８００１３８０００", nullptr}, // full-width digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        const std::optional<qint64> key = PerMsgImportNumberKey(Q(c.cell));
        if (!c.sent) {
            EXPECT_FALSE(key.has_value());
            continue;
        }
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(NumberFromKey(*key), Q(c.sent));
    }
}

// ------------------------------------------------------------ placeholders

TEST(PerMsgRows, FillPlaceholders) {
    struct Case {
        const char* what;
        const char* templ;
        QStringList values;
        const char* filled;
    };
    const Case cases[] = {
        {"in order", "<%a%>,<%b%>!", {Q("1"), Q("2")}, "1,2!"},
        {"a value is not expanded", "<%0手机%>:<%1名%>", {Q("<%1名%>"), Q("x")}, "<%1名%>:x"},
        {"unclosed stays", "a<%0手机%>b<%1名", {Q("V")}, "aVb<%1名"},
        {"stray close", "%>a<%x%>", {Q("V")}, "%>aV"},
        {"missing value is empty", "<%a%><%b%>", {Q("1")}, "1"},
        {"whole decimal", "<%n%>", {Q("12.0")}, "12"},
        {"negative whole decimal", "<%n%>", {Q("-3.0")}, "-3"},
        {"text ending in .0", "<%n%>", {Q("Version 2.0")}, "Version 2.0"},
        {"other decimals", "<%n%>", {Q("1.05")}, "1.05"},
        {"only .0", "<%n%>", {Q(".0")}, ".0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FillPlaceholders(Q(c.templ), c.values), Q(c.filled));
    }
}

TEST(PerMsgRows, ImportColumns) {
    const QStringList header{Q("手机"), Q("姓名"), Q(" 姓名 "), Q("a"), Q("b"), Q("电话")};
    std::vector<int> columns;
    QString unknown;
    // Two columns of one name give two placeholders.
    EXPECT_TRUE(ResolveImportColumns(ImportColumnPlaceholder(1, header[1]) +
                                         ImportColumnPlaceholder(2, header[2]) + Q("<%0手机%>"),
                                     header, &columns, &unknown));
    EXPECT_EQ(columns, (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(ImportColumnPlaceholder(2, header[2]), Q("<%2姓名%>"));

    struct Refused {
        const char* templ;
        const char* unknown;
    };
    for (const Refused& r : {Refused{"<%0手机%><%7电话%>", "7电话"}, Refused{"<%姓名%>", "姓名"},
                             Refused{"<%1手机%>", "1手机"}}) {
        SCOPED_TRACE(r.templ);
        EXPECT_FALSE(ResolveImportColumns(Q(r.templ), header, &columns, &unknown));
        EXPECT_EQ(unknown, Q(r.unknown));
    }
    EXPECT_EQ(PerMsgUnknownFieldText(Q("7电话")), Q("短信内容中的字段“7电话”不存在"));
}

// ------------------------------------------------------------ marks and parts

TEST(PerMsgRows, MarksAndParts) {
    struct Mark {
        const char* text;
        const char* message;
        const char* mark;
    };
    for (const Mark& m : {Mark{"A", "A", ""}, Mark{"B#*#m2", "B", "m2"}, Mark{"C#*#m3", "C", "m3"},
                          Mark{"#*#x", "#*#x", ""}, Mark{"D#*#e#*#f", "D", "e#*#f"}}) {
        SCOPED_TRACE(m.text);
        QString message, mark;
        SplitPerMsgMark(Q(m.text), &message, &mark);
        EXPECT_EQ(message, Q(m.message));
        EXPECT_EQ(mark, Q(m.mark));
    }
    struct Parts {
        int length;
        int parts;
    };
    for (const Parts& p : {Parts{0, 0}, Parts{1, 1}, Parts{70, 1}, Parts{71, 2}, Parts{134, 2}, Parts{135, 3},
                           Parts{201, 3}, Parts{202, 4}}) {
        SCOPED_TRACE(p.length);
        EXPECT_EQ(PerMsgPartCount(QString(p.length, u'中')), p.parts);
        EXPECT_EQ(PerMsgPartCount(QString(p.length, u'a')), p.parts);
    }
    // A quote counts once.
    EXPECT_EQ(PerMsgPartCount(QString(35, u'\'') + QString(35, u'a')), 1);
}

TEST(PerMsgRows, BatchSizeText) {
    struct Case {
        const char* text;
        int size;
    };
    for (const Case& c : {Case{"9", 9}, Case{" 200 ", 200}, Case{"0", 500}, Case{"-3", 500}, Case{"x", 500},
                          Case{"", 500}, Case{"12ab", 500}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PerMsgBatchSizeOf(Q(c.text)), c.size);
    }
}

TEST(PerMsgRows, SignatureShownExactlyWhenSent) {
    struct Case {
        PerMsgRoad road;
        bool signedFlag;
        bool shown;
    };
    for (const Case& c : {Case{PerMsgRoad::Imported, true, true}, Case{PerMsgRoad::Imported, false, false},
                          Case{PerMsgRoad::BatchDate, true, true}, Case{PerMsgRoad::Edited, true, false},
                          Case{PerMsgRoad::Resend, true, false}}) {
        SCOPED_TRACE(static_cast<int>(c.road));
        EXPECT_EQ(PerMsgShownText(Q("hi"), c.road, c.signedFlag, Q("签")), c.shown ? Q("hi【签】") : Q("hi"));
        EXPECT_EQ(PerMsgSignatureAppended(c.road, c.signedFlag), c.shown);
    }
}

// ------------------------------------------------------------ composer road

class PerMsgRowsDb : public ContactsFixtureTest {};

TEST_F(PerMsgRowsDb, ComposerRowsFillContactFields) {
    VIRTUAL_LIST_PERMSG rows;
    std::vector<PerMsgRecipient> recipients{
        {Q("13800000001"), 0, {}}, // by number
        {Q("13800000002"), 1, {}}, // by id: 张三's values for 李四's number
        {Q("138-0000"), 0, {}},    // refused
        {Q("13900000009"), 0, {}}, // no such contact
        {Q("13900000001"), 0, Q("2026-05-01 08:00:00")},
    };
    PerMsgComposerRows maker(rows, g_pDB, Q("<%姓名%><%性别%>好#*#vip"), recipients, true);
    ASSERT_TRUE(maker.Open());
    while (maker.Step(2)) {
    }
    EXPECT_TRUE(maker.Done());
    EXPECT_EQ(maker.RefusedNumbers(), 1);
    const QStringList got = Rows(rows);
    EXPECT_EQ(got, (QStringList{Q("13800000001|张三先生好|vip|0|"), Q("13800000002|张三先生好|vip|1|"),
                                Q("13900000009|好|vip|0|"), got.value(3)})); // 甲's own values, checked below
    EXPECT_TRUE(got.value(3).startsWith(Q("13900000001|甲")));
    EXPECT_TRUE(got.value(3).endsWith(Q("|vip|0|2026-05-01 08:00:00")));

    // A changed value after the rows were made changes nothing in them.
    ExecSql(nullptr, g_pDB, "UPDATE ContactList SET name='王五' WHERE perNO=1");
    EXPECT_EQ(Rows(rows).value(0), Q("13800000001|张三先生好|vip|0|"));
}

TEST_F(PerMsgRowsDb, UnknownContactFieldStopsBeforeAnyRow) {
    VIRTUAL_LIST_PERMSG rows;
    PerMsgComposerRows maker(rows, g_pDB, Q("<%姓名%><%没有的字段%>"), {{Q("13800000001"), 0, {}}}, true);
    EXPECT_FALSE(maker.Open());
    EXPECT_EQ(maker.UnknownField(), Q("没有的字段"));
    EXPECT_FALSE(maker.Step(100));
    EXPECT_EQ(rows.GetCount(), 0);
    QString unknown;
    EXPECT_FALSE(CheckContactFieldTokens(Q("<%没有的字段%>"), g_pDB, &unknown));
    EXPECT_EQ(unknown, Q("没有的字段"));
    EXPECT_TRUE(CheckContactFieldTokens(Q("<%姓名%><%爱好%>"), g_pDB));
}

TEST_F(PerMsgRowsDb, BatchDateRowsKeepTheirMarkText) {
    VIRTUAL_LIST_PERMSG rows;
    PerMsgComposerRows maker(rows, g_pDB, Q("生日快乐#*#x"),
                             {{Q("13800000001"), 1, Q("2026-05-01 08:00:00")}}, false);
    ASSERT_TRUE(maker.Open());
    maker.Step(10);
    EXPECT_EQ(Rows(rows), QStringList{Q("13800000001|生日快乐#*#x||1|2026-05-01 08:00:00")});
}

// ------------------------------------------------------------ import reading

class PerMsgImport : public ProgramFolderTest {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        m_folder->writeFile(name, bytes);
        return m_folder->file(name);
    }

    // Reads `path` to its end in small steps; the rows as Rows() gives them.
    QStringList read(const QString& path, int numberColumn, const QString& templ, const QString& sep = {},
                     PerMsgImportReader::OpenResult expect = PerMsgImportReader::OpenResult::Ok) {
        m_rows.FreeRows();
        PERMSG_IMPORT_PARAM param;
        param.filePath = path;
        param.separator = sep;
        param.numberColumn = numberColumn;
        m_reader = std::make_unique<PerMsgImportReader>(m_rows, param, templ);
        EXPECT_EQ(m_reader->Open(), expect);
        int steps = 0;
        while (m_reader->Step(7))
            ++steps;
        EXPECT_TRUE(m_reader->Done());
        EXPECT_LE(steps, 100000);
        return Rows(m_rows);
    }

    VIRTUAL_LIST_PERMSG m_rows;
    std::unique_ptr<PerMsgImportReader> m_reader;
};

TEST_F(PerMsgImport, EncodingsAndLineEndsGiveTheSameRows) {
    const QString header = Q("num,name,amount\n");
    const QString lines = Q("13800138000,张三,12.0\n\"01012345678\",\"李,四\",Version 2.0\n"
                            "12999999999,无效,1\n13900139000.0,王五,\n");
    const QString body = header + lines;
    const QString templ = Q("<%1name%>您好，<%2amount%>元#*#促销");
    const QStringList expected{Q("13800138000|张三您好，12元|促销|0|"),
                               Q("01012345678|李,四您好，Version 2.0元|促销|0|"),
                               Q("13900139000|王五您好，元|促销|0|")};
    struct Case {
        const char* what;
        QByteArray bytes;
        int refused;
    };
    const auto crlf = [](QByteArray b) { return b.replace("\n", "\r\n"); };
    const QByteArray gbk = QByteArray::fromStdString(enc::ToGbk(body));
    // 100 KB of ASCII lines put the first GBK byte far into the file.
    QByteArray prefix;
    while (prefix.size() < 100 * 1024)
        prefix += "12999999999,ascii only,0\r\n";
    const int prefixLines = static_cast<int>(prefix.count("\r\n"));
    const Case cases[] = {
        {"UTF-8 LF", body.toUtf8(), 1},
        {"UTF-8 CR LF", crlf(body.toUtf8()), 1},
        {"UTF-8 BOM", QByteArray("\xEF\xBB\xBF") + body.toUtf8(), 1},
        {"GBK LF", gbk, 1},
        {"GBK CR LF", crlf(gbk), 1},
        {"GBK behind 100 KB of ASCII",
         header.toLatin1() + prefix + crlf(QByteArray::fromStdString(enc::ToGbk(lines))), 1 + prefixLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(read(write(QStringLiteral("in.csv"), c.bytes), 1, templ), expected);
        EXPECT_EQ(m_reader->RefusedNumbers(), c.refused);
    }
}

TEST_F(PerMsgImport, QuotedFieldsShortLinesAndMissingColumns) {
    const QByteArray bytes = "num,text,extra\r\n"
                             "13800000001,\"a,b\",x\r\n"
                             "13800000002,\"line one\r\nline two\",y\r\n"
                             "short\r\n"
                             "13800000003\r\n" // has the number, lacks the others
                             "13800000004,\"say \"\"hi\"\"\",z\r\n";
    const QStringList got = read(write(QStringLiteral("q.csv"), bytes), 1, Q("<%1text%>|<%2extra%>"));
    EXPECT_EQ(got, (QStringList{Q("13800000001|a,b|x||0|"), Q("13800000002|line one\r\nline two|y||0|"),
                                Q("13800000003||||0|"), // missing columns give ""
                                Q("13800000004|say \"hi\"|z||0|")}));
    EXPECT_EQ(m_reader->RefusedNumbers(), 1); // "short" is a refused number, not a short line
    // A line too short for the number column is skipped alone, logged once with the count.
    const QStringList second =
        read(write(QStringLiteral("s.csv"), "a,num\r\nx\r\nx,13800000001\r\ny\r\n"), 2, Q("<%0a%>"));
    EXPECT_EQ(second, QStringList{Q("13800000001|x||0|")});
    EXPECT_EQ(m_reader->ShortLines(), 2);
    EXPECT_EQ(runLog().count(Q("FillPerList读取csv文件内容数组越界,lines=2")), 1);
}

TEST_F(PerMsgImport, SeparatorSplitsHeaderAndLines) {
    const QString path = write(QStringLiteral("semi.csv"), "num;name;;\r\n13800000001;A,B;;\r\n");
    QStringList header;
    ASSERT_EQ(ReadPerMsgHeader(path, Q(";"), header), CsvHeaderResult::Ok);
    EXPECT_EQ(header, (QStringList{Q("num"), Q("name")})); // trailing empty names dropped
    EXPECT_EQ(read(path, 1, Q("<%1name%>"), Q(";")), QStringList{Q("13800000001|A,B||0|")});
    // An empty separator splits at commas.
    EXPECT_EQ(read(write(QStringLiteral("c.csv"), "num,name\n13800000001,X\n"), 1, Q("<%1name%>"), QString()),
              QStringList{Q("13800000001|X||0|")});
}

TEST_F(PerMsgImport, HugeRecordsAndNoiseAreNoRows) {
    QByteArray big = "num,text\n13800000001,";
    big += QByteArray(2 * 1024 * 1024, 'x');
    big += "\n13800000002,ok\n";
    EXPECT_EQ(read(write(QStringLiteral("big.csv"), big), 1, Q("<%1text%>")),
              QStringList{Q("13800000002|ok||0|")});
    EXPECT_EQ(m_reader->TooLongRecords(), 1);

    // 5 MB of noise: a header of sorts, and no row.
    QByteArray noise;
    quint32 seed = 12345;
    noise.reserve(5 * 1024 * 1024);
    for (int i = 0; i < 5 * 1024 * 1024; ++i) {
        seed = seed * 1103515245u + 12345u;
        noise += static_cast<char>((seed >> 16) & 0xFF);
    }
    m_rows.FreeRows();
    PERMSG_IMPORT_PARAM param;
    param.filePath = write(QStringLiteral("noise.csv"), noise);
    param.numberColumn = 1;
    PerMsgImportReader reader(m_rows, param, Q("x"));
    const auto opened = reader.Open();
    if (opened == PerMsgImportReader::OpenResult::Ok)
        while (reader.Step(1000)) {
        }
    EXPECT_EQ(m_rows.GetCount(), 0);
}

TEST_F(PerMsgImport, OpenRefusals) {
    struct Case {
        const char* what;
        QByteArray bytes; // empty name: no file
        int numberColumn;
        const char* templ;
        PerMsgImportReader::OpenResult result;
    };
    const Case cases[] = {
        {"no file", {}, 1, "x", PerMsgImportReader::OpenResult::CannotOpen},
        {"UTF-16",
         QByteArray("\xFF\xFE"
                    "a\0,\0b\0",
                    8),
         1, "x", PerMsgImportReader::OpenResult::Utf16},
        {"empty", QByteArray("\n\n"), 1, "x", PerMsgImportReader::OpenResult::Unreadable},
        {"unknown placeholder", QByteArray("a,b\n13800000001,1\n"), 1, "<%7电话%>",
         PerMsgImportReader::OpenResult::UnknownField},
        {"number column past the header", QByteArray("a,b\n"), 3, "x",
         PerMsgImportReader::OpenResult::NoNumberColumn},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = c.bytes.isEmpty() ? m_folder->file(QStringLiteral("missing.csv"))
                                               : write(QStringLiteral("r.csv"), c.bytes);
        read(path, c.numberColumn, Q(c.templ), {}, c.result);
        EXPECT_EQ(m_rows.GetCount(), 0);
    }
}

TEST_F(PerMsgImport, SheetsSavedAsTempCsv) {
    // Two sheets, the second with a numeric number column.
    const QString xlsx = m_folder->file(QStringLiteral("book.xlsx"));
    {
        lxw_workbook* wb = workbook_new(QFile::encodeName(xlsx).constData());
        ASSERT_NE(wb, nullptr);
        lxw_worksheet* first = workbook_add_worksheet(wb, "first");
        worksheet_write_string(first, 0, 0, "x", nullptr);
        lxw_worksheet* second = workbook_add_worksheet(wb, "名单");
        worksheet_write_string(second, 0, 0, "姓名", nullptr);
        worksheet_write_string(second, 0, 1, "手机", nullptr);
        worksheet_write_string(second, 1, 0, "张三", nullptr);
        worksheet_write_number(second, 1, 1, 13800138000.0, nullptr);
        ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    }
    Spreadsheet book;
    ASSERT_TRUE(book.Open(xlsx)) << book.ErrorText().toStdString();
    EXPECT_EQ(book.SheetNames(), (QStringList{Q("first"), Q("名单")}));
    const QString temp = ExcelTempCsvPath();
    ASSERT_TRUE(book.SaveSheetAsCsv(Q("名单"), temp));
    book.Close();
    QStringList header;
    ASSERT_EQ(ReadPerMsgHeader(temp, {}, header), CsvHeaderResult::Ok);
    EXPECT_EQ(header, (QStringList{Q("姓名"), Q("手机")}));
    EXPECT_EQ(read(temp, 2, ImportColumnPlaceholder(0, header[0]) + Q("好")),
              QStringList{Q("13800138000|张三好||0|")});

    // .xls written by python3-xlwt.
    const QString xls = m_folder->file(QStringLiteral("book.xls"));
    RunSystemPython(QStringLiteral("import sys, xlwt\n"
                                   "b = xlwt.Workbook(encoding='utf-8')\n"
                                   "s = b.add_sheet('Sheet1')\n"
                                   "s.write(0, 0, '手机'); s.write(0, 1, '名')\n"
                                   "s.write(1, 0, 13800138001); s.write(1, 1, '李四')\n"
                                   "b.save(sys.argv[1])\n"),
                    {xls});
    ASSERT_TRUE(QFile::exists(xls));
    ASSERT_TRUE(book.Open(xls)) << book.ErrorText().toStdString();
    ASSERT_TRUE(book.SaveSheetAsCsv(Q("Sheet1"), temp));
    book.Close();
    EXPECT_EQ(read(temp, 1, Q("<%1名%>")), QStringList{Q("13800138001|李四||0|")});
}

} // namespace
