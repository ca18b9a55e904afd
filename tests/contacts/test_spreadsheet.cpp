#include "contacts/spreadsheet.h"

#include "contacts/sheet_csv.h"
#include "contacts/xlsx_reader.h"
#include "tests/support/test_helpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace {

// ---- workbooks made by other programs -------------------------------------------

// openpyxl writes the string, number, date and boolean cells; its texts are
// then moved to a shared string table, and the kinds it never writes
// (formula strings, rich text with phonetic runs, escaped characters,
// errors) are added, as Excel would have written them.
const char kOpenpyxlBook[] = R"PY(
import datetime, re, sys, zipfile, openpyxl
from openpyxl.styles import PatternFill
path, epoch = sys.argv[1], sys.argv[2]
wb = openpyxl.Workbook()
if epoch == "1904":
    from openpyxl.utils.datetime import CALENDAR_MAC_1904
    wb.epoch = CALENDAR_MAC_1904
ws = wb.active
ws.title = "客户"
ws.append(["姓名", "手机", "金额", "生日", "到店", "农历", "自定义", "备注", "会员"])
ws.append(["张三", 13800138000, 1.5, datetime.date(2024, 1, 2), datetime.datetime(2024, 1, 2, 13, 45, 30),
           datetime.date(2023, 12, 31), datetime.datetime(2020, 2, 29, 8, 5), 'a,b "c"\nd', True])
ws["F2"].number_format = 'yyyy"年"m"月"d"日"'
ws["G2"].number_format = "dd/mm/yyyy hh:mm"
ws.append(["李四", None, None, 42])
ws.append([None])
ws.append(["王五", 1e-7, 0.1 + 0.2, datetime.date(2000, 1, 1), -0.25, 12345678901234567890,
           datetime.time(12, 0), 2.0, False])
ws["D5"].number_format = "mm-dd-yy"
# Formatting without a value counts for nothing: a trailing column, the
# rows after the last value, a cell in the empty row.
fill = PatternFill("solid", fgColor="FFFF00")
for ref in ("L1", "L3", "B4", "A8", "C9"):
    ws[ref].fill = fill
wb.create_sheet("第二页").append(["x"])
wb.save(path)

if epoch == "1904":
    sys.exit(0)
with zipfile.ZipFile(path) as z:
    parts = {n: z.read(n) for n in z.namelist()}
# Excel keeps its texts in a shared table: move openpyxl's inline strings
# there, then add a rich text with a phonetic run.
items = []
def share(m):
    items.append("<si><t%s>%s</t></si>" % (m.group(3), m.group(4)))
    return '<c %st="s"%s><v>%d</v></c>' % (m.group(1), m.group(2), len(items) - 1)
sheet = re.sub(r'<c ([^>]*?)t="inlineStr"([^>]*)><is><t([^>]*)>(.*?)</t></is></c>', share,
               parts["xl/worksheets/sheet1.xml"].decode(), flags=re.S)
items.append('<si><r><t>漢</t></r><r><rPr><b/></rPr><t>字</t></r>'
             '<rPh sb="0" eb="2"><t>かんじ</t></rPh><phoneticPr fontId="1"/></si>')
parts["xl/sharedStrings.xml"] = ('<?xml version="1.0" encoding="UTF-8"?>'
    '<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>'
    % (len(items), len(items), "".join(items))).encode()
parts["xl/_rels/workbook.xml.rels"] = parts["xl/_rels/workbook.xml.rels"].replace(b"</Relationships>",
    b'<Relationship Id="rIdSST" Target="sharedStrings.xml" '
    b'Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings"/></Relationships>')
parts["[Content_Types].xml"] = parts["[Content_Types].xml"].replace(b"</Types>",
    b'<Override PartName="/xl/sharedStrings.xml" '
    b'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
row = ('<row r="6">'
       '<c r="A6" t="inlineStr"><is><t>内联</t></is></c>'
       '<c r="B6" t="str"><f>"a"&amp;"b"</f><v>ab</v></c>'
       '<c r="C6" t="inlineStr"><is><r><t>富</t></r><r><t xml:space="preserve">文 本</t></r>'
       '<rPh sb="0" eb="1"><t>ふ</t></rPh></is></c>'
       '<c r="D6" t="e"><v>#N/A</v></c>'
       '<c r="E6" t="s"><v>%d</v></c>'
       '<c r="F6" t="inlineStr"><is><t>行_x000D_尾</t></is></c>'
       '</row>') % (len(items) - 1)
parts["xl/worksheets/sheet1.xml"] = sheet.replace('<row r="8"', row + '<row r="8"').encode()
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    for name, data in parts.items():
        z.writestr(name, data)
)PY";

const char kXlwtBook[] = R"PY(
import datetime, sys, xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("客户")
for col, text in enumerate(["姓名", "手机", "金额", "生日", "到店", "备注"]):
    ws.write(0, col, text)
ws.write(1, 0, "张三")
ws.write(1, 1, 13800138000)
ws.write(1, 2, 1.5)
ws.write(1, 3, datetime.date(2024, 1, 2), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
ws.write(1, 4, datetime.datetime(2024, 1, 2, 13, 45, 30), xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS"))
ws.write(1, 5, 'a,b "c"\nd')
ws.write(2, 0, "李四")
ws.write(2, 3, 42)
ws.write(4, 0, "王五")
ws.write(4, 1, 0.1 + 0.2)
ws.write(4, 3, datetime.date(2000, 1, 1), xlwt.easyxf(num_format_str="YYYY-MM-DD"))
ws.write(4, 4, datetime.datetime(2000, 1, 1), xlwt.easyxf(num_format_str="YYYY-MM-DD HH:MM:SS"))
ws.write(7, 2, "", xlwt.easyxf("pattern: pattern solid;"))
wb.add_sheet("第二页").write(0, 0, "x")
wb.save(sys.argv[1])
)PY";

const char kBom[] = "\xEF\xBB\xBF";

std::string ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

// The folder holds only the files named: no temporary file stayed behind.
QStringList FilesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

class SpreadsheetFixtures : public ::testing::Test {
protected:
    QString Make(const char* script, const QString& name, const QStringList& more = {}) {
        const QString path = m_dir.filePath(name);
        RunSystemPython(QString::fromUtf8(script), QStringList{path} + more);
        return path;
    }
    // Opens `path` and saves `sheet`; the CSV's bytes, or "<failed: why>".
    std::string Convert(const QString& path, const QString& sheet) {
        Spreadsheet book;
        if (!book.Open(path))
            return "<failed: " + book.ErrorText().toStdString() + ">";
        const QString csv = m_dir.filePath(QStringLiteral("Temp.csv"));
        if (!book.SaveSheetAsCsv(sheet, csv))
            return "<failed: " + book.ErrorText().toStdString() + ">";
        return ReadAll(csv);
    }

    QTemporaryDir m_dir;
};

TEST_F(SpreadsheetFixtures, OpenpyxlWorkbookGivesTheExpectedCsv) {
    const QString path = Make(kOpenpyxlBook, QStringLiteral("客户.xlsx"), {QStringLiteral("1900")});
    Spreadsheet book;
    ASSERT_TRUE(book.Open(path)) << book.ErrorText().toStdString();
    EXPECT_EQ(book.SheetNames(), (QStringList{QStringLiteral("客户"), QStringLiteral("第二页")}));
    book.Close();

    const std::string expected =
        std::string(kBom) + "姓名,手机,金额,生日,到店,农历,自定义,备注,会员\r\n"
                            "张三,13800138000,1.5,2024-01-02,2024-01-02 13:45:30,2023-12-31,"
                            "2020-02-29 08:05:00,\"a,b \"\"c\"\"\nd\",TRUE\r\n"
                            "李四,,,42,,,,,\r\n"
                            ",,,,,,,,\r\n"
                            "王五,0.0000001,0.3,2000-01-01,-0.25,12345678901234600000,12:00:00,2,FALSE\r\n"
                            "内联,ab,富文 本,#N/A,漢字,\"行\r尾\",,,\r\n";
    EXPECT_EQ(Convert(path, QStringLiteral("客户")), expected);
    EXPECT_EQ(Convert(path, QStringLiteral("第二页")), std::string(kBom) + "x\r\n");
    // A name no sheet has takes the last sheet.
    EXPECT_EQ(Convert(path, QStringLiteral("没有")), std::string(kBom) + "x\r\n");

    // The content decides: the same workbook named ".xls" reads the same.
    const QString renamed = m_dir.filePath(QStringLiteral("其实是xlsx.xls"));
    ASSERT_TRUE(QFile::copy(path, renamed));
    EXPECT_EQ(Convert(renamed, QStringLiteral("客户")), expected);
    EXPECT_EQ(FilesIn(m_dir.path()),
              (QStringList{QStringLiteral("Temp.csv"), QStringLiteral("其实是xlsx.xls"),
                           QStringLiteral("客户.xlsx")}));
}

TEST_F(SpreadsheetFixtures, Date1904WorkbookCountsFrom1904) {
    const QString path = Make(kOpenpyxlBook, QStringLiteral("mac.xlsx"), {QStringLiteral("1904")});
    const std::string csv = Convert(path, QStringLiteral("客户"));
    EXPECT_NE(csv.find("张三,13800138000,1.5,2024-01-02,2024-01-02 13:45:30,2023-12-31,2020-02-29 08:05:00,"),
              std::string::npos)
        << csv;
    EXPECT_NE(csv.find("王五,0.0000001,0.3,2000-01-01,"), std::string::npos) << csv;
}

TEST_F(SpreadsheetFixtures, XlwtWorkbookGivesTheExpectedCsv) {
    const QString path = Make(kXlwtBook, QStringLiteral("老格式.xls"));
    Spreadsheet book;
    ASSERT_TRUE(book.Open(path)) << book.ErrorText().toStdString();
    EXPECT_EQ(book.SheetNames(), (QStringList{QStringLiteral("客户"), QStringLiteral("第二页")}));
    EXPECT_EQ(Convert(path, QStringLiteral("客户")),
              std::string(kBom) +
                  "姓名,手机,金额,生日,到店,备注\r\n"
                  "张三,13800138000,1.5,2024-01-02,2024-01-02 13:45:30,\"a,b \"\"c\"\"\nd\"\r\n"
                  "李四,,,42,,\r\n"
                  ",,,,,\r\n"
                  "王五,0.3,,2000-01-01,2000-01-01,\r\n");
    EXPECT_EQ(Convert(path, QStringLiteral("第二页")), std::string(kBom) + "x\r\n");
}

TEST_F(SpreadsheetFixtures, StoppedOrFailedConversionLeavesNoFile) {
    const QString path = Make(kOpenpyxlBook, QStringLiteral("book.xlsx"), {QStringLiteral("1900")});
    Spreadsheet book;
    ASSERT_TRUE(book.Open(path)) << book.ErrorText().toStdString();
    const QString csv = m_dir.filePath(QStringLiteral("Temp.csv"));
    qint64 lastDone = -1;
    qint64 lastTotal = -1;
    EXPECT_FALSE(book.SaveSheetAsCsv(QStringLiteral("客户"), csv, [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return false;
    }));
    EXPECT_GT(lastTotal, 0);
    EXPECT_LE(lastDone, lastTotal);
    EXPECT_EQ(FilesIn(m_dir.path()), QStringList{QStringLiteral("book.xlsx")});

    // Progress that lets it run ends at its total.
    EXPECT_TRUE(book.SaveSheetAsCsv(QStringLiteral("客户"), csv, [&](qint64 done, qint64 total) {
        lastDone = done;
        lastTotal = total;
        return true;
    }));
    EXPECT_EQ(lastDone, lastTotal);

    // A folder that does not exist: a failure, not a file elsewhere.
    EXPECT_FALSE(book.SaveSheetAsCsv(QStringLiteral("客户"), m_dir.filePath(QStringLiteral("无/Temp.csv"))));
    EXPECT_FALSE(book.ErrorText().isEmpty());
}

// ---- workbooks written here ------------------------------------------------------

struct ZipEntry {
    std::string name;
    std::string data;      // stored as it stands, or raw deflate when `deflated`
    bool deflated = false; // `data` is a raw deflate stream of `size` bytes
    uint64_t size = 0;
    uint32_t crc = 0;
};

void Put16(std::string& out, unsigned v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8 & 0xFF));
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

ZipEntry Stored(const std::string& name, const std::string& data) {
    return {name, data, false, data.size(),
            static_cast<uint32_t>(
                crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())))};
}

// A zip of the entries (no zip64: every entry stays below 4 GiB).
std::string Zip(const std::vector<ZipEntry>& entries) {
    std::string out;
    std::string central;
    for (const ZipEntry& e : entries) {
        const uint32_t offset = static_cast<uint32_t>(out.size());
        auto header = [&](std::string& to, bool isCentral) {
            Put32(to, isCentral ? 0x02014b50 : 0x04034b50);
            if (isCentral)
                Put16(to, 20);
            Put16(to, 20);
            Put16(to, 0);
            Put16(to, e.deflated ? 8 : 0);
            Put16(to, 0);
            Put16(to, 0x21);
            Put32(to, e.crc);
            Put32(to, static_cast<uint32_t>(e.data.size()));
            Put32(to, static_cast<uint32_t>(e.size));
            Put16(to, static_cast<unsigned>(e.name.size()));
            Put16(to, 0);
            if (isCentral) {
                Put16(to, 0);
                Put16(to, 0);
                Put16(to, 0);
                Put32(to, 0);
                Put32(to, offset);
            }
            to += e.name;
        };
        header(out, false);
        out += e.data;
        header(central, true);
    }
    const uint32_t start = static_cast<uint32_t>(out.size());
    out += central;
    Put32(out, 0x06054b50);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<unsigned>(entries.size()));
    Put16(out, static_cast<unsigned>(entries.size()));
    Put32(out, static_cast<uint32_t>(central.size()));
    Put32(out, start);
    Put16(out, 0);
    return out;
}

const char kSheetHead[] = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)";
const char kSheetTail[] = "</sheetData></worksheet>";

// A workbook of one sheet "S" whose part is `sheet`; `replace` swaps parts.
std::vector<ZipEntry> Workbook(const ZipEntry& sheet, const std::vector<ZipEntry>& replace = {}) {
    std::vector<ZipEntry> entries = {
        Stored(
            "_rels/.rels",
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"),
        Stored(
            "xl/workbook.xml",
            R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
            R"(<sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>)"),
        Stored(
            "xl/_rels/workbook.xml.rels",
            R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
            R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
            R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)"),
        Stored(
            "xl/sharedStrings.xml",
            R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><si><t>甲</t></si><si><t></t></si></sst>)"),
        sheet,
    };
    for (const ZipEntry& r : replace)
        for (ZipEntry& e : entries)
            if (e.name == r.name)
                e = r;
    return entries;
}

ZipEntry SheetPart(const std::string& rows) {
    return Stored("xl/worksheets/sheet1.xml", kSheetHead + rows + kSheetTail);
}

// `total` bytes of `fill` after an XML start, deflated: the same full-flush
// block repeated, so a gibibyte is made without compressing one.
ZipEntry Bomb(const std::string& name, uint64_t total, char fill) {
    const std::string head = std::string(kSheetHead) + "<row r=\"1\">";
    const std::string blanks(1 << 20, fill);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string block(1 << 16, '\0');
    auto deflateSome = [&](const std::string& in, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = static_cast<uInt>(in.size());
        z.next_out = reinterpret_cast<Bytef*>(block.data());
        z.avail_out = static_cast<uInt>(block.size());
        deflate(&z, flush);
        return block.substr(0, block.size() - z.avail_out);
    };
    ZipEntry e{name, deflateSome(head, Z_FULL_FLUSH), true, head.size() + total, 0};
    const std::string repeat = deflateSome(blanks, Z_FULL_FLUSH);
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size()));
    const uLong blockCrc =
        crc32(0, reinterpret_cast<const Bytef*>(blanks.data()), static_cast<uInt>(blanks.size()));
    for (uint64_t done = 0; done < total; done += blanks.size()) {
        e.data += repeat;
        crc = crc32_combine(crc, blockCrc, static_cast<z_off_t>(blanks.size()));
    }
    e.data += deflateSome(std::string(), Z_FINISH);
    deflateEnd(&z);
    e.crc = static_cast<uint32_t>(crc);
    return e;
}

// A compound file's signature and one directory sector whose entry `slot`
// is a stream named `stream` (no stream when it is empty); the rest zeros.
std::string CompoundFile(const std::u16string& stream, int slot) {
    std::string bytes(4096, '\0');
    bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    if (stream.empty())
        return bytes;
    char* entry = bytes.data() + 512 + 128 * slot;
    for (size_t i = 0; i < stream.size(); ++i)
        entry[2 * i] = static_cast<char>(stream[i]);
    entry[64] = static_cast<char>(2 * (stream.size() + 1));
    entry[66] = 2; // a stream
    return bytes;
}

class SpreadsheetWritten : public ::testing::Test {
protected:
    QString Write(const std::string& bytes, const QString& name = QStringLiteral("book.xlsx")) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        return path;
    }
    // "<open: why>" or "<save: why>" when refused, else the CSV without its BOM.
    std::string Convert(const QString& path) {
        Spreadsheet book;
        if (!book.Open(path))
            return "<open: " + book.ErrorText().toStdString() + ">";
        const QString csv = m_dir.filePath(QStringLiteral("Temp.csv"));
        if (!book.SaveSheetAsCsv(QString(), csv)) {
            EXPECT_FALSE(QFile::exists(csv));
            return "<save: " + book.ErrorText().toStdString() + ">";
        }
        const std::string bytes = ReadAll(csv);
        EXPECT_EQ(bytes.substr(0, 3), kBom);
        return bytes.substr(3);
    }

    QTemporaryDir m_dir;
};

TEST_F(SpreadsheetWritten, CellsBecomeCsvRows) {
    struct Case {
        const char* what;
        std::string rows;
        std::string csv;
    };
    const std::vector<Case> cases = {
        {"no references: rows and cells follow each other",
         R"(<row><c><v>1</v></c><c><v>2</v></c></row><row><c t="s"><v>0</v></c></row>)", "1,2\r\n甲,\r\n"},
        {"the widest row last pads the rows before it",
         R"(<row r="1"><c r="A1"><v>1</v></c></row><row r="3"><c r="C3"><v>3</v></c></row>)",
         "1,,\r\n,,\r\n,,3\r\n"},
        {"a quoted line break is no row end for the padding",
         R"(<row r="1"><c r="A1" t="inlineStr"><is><t>a&#13;&#10;b,</t></is></c></row>)"
         R"(<row r="2"><c r="B2"><v>2</v></c></row>)",
         "\"a\r\nb,\",\r\n,2\r\n"},
        {"empty values and an empty shared string are no values",
         R"(<row r="1"><c r="A1"><v>7</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="str"><v></v></c><c r="D1" s="3"/></row>)",
         "7\r\n"},
        {"numbers: exponent written out, .0 dropped, 15 digits",
         R"(<row><c><v>1.3800138E10</v></c><c><v>3.0</v></c><c><v>1E-3</v></c><c><v>-0</v></c><c><v>0.30000000000000004</v></c><c><v>abc</v></c></row>)",
         "13800138000,3,0.001,0,0.3,abc\r\n"},
        {"booleans and ISO dates",
         R"(<row><c t="b"><v>1</v></c><c t="b"><v>0</v></c><c t="d"><v>2024-05-06T00:00:00</v></c><c t="d"><v>2024-05-06T07:08:09.5Z</v></c></row>)",
         "TRUE,FALSE,2024-05-06,2024-05-06 07:08:09\r\n"},
        {"the last cell of a sheet", R"(<row r="2"><c r="XFD2"><v>1</v></c></row>)",
         std::string(16383, ',') + "\r\n" + std::string(16383, ',') + "1\r\n"},
        {"no cells at all", "<row r=\"5\" ht=\"20\"/>", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Convert(Write(Zip(Workbook(SheetPart(c.rows))))), c.csv) << c.what;
}

TEST_F(SpreadsheetWritten, HostileFilesAreRefused) {
    struct Case {
        const char* what;
        std::function<std::string()> bytes;
        const char* name;
        const char* stage;  // "<open: " or "<save: "
        const char* reason; // a part of ErrorText()
    };
    const std::string longCell(40000, 'x');
    auto bookWith = [](const std::vector<ZipEntry>& replace,
                       const std::string& rows = "<row><c><v>1</v></c></row>") {
        return [=] { return Zip(Workbook(SheetPart(rows), replace)); };
    };
    const char* doctype =
        R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol"><!ENTITY lol2 "&lol;&lol;&lol;">]>)";
    const std::string compound = CompoundFile(u"", 0);
    const std::string encrypted = CompoundFile(u"EncryptionInfo", 1);
    std::string garbage = compound;
    for (size_t i = 8; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 131 % 251);
    const std::string good = Zip(Workbook(SheetPart("<row><c><v>1</v></c></row>")));

    const std::vector<Case> cases = {
        {"a truncated zip", [&] { return good.substr(0, good.size() / 2); }, "book.xlsx", "<open: ", ""},
        // Blanks are well-formed, so only the count of inflated bytes stops them.
        {"a gibibyte of blanks deflated",
         bookWith({Bomb("xl/worksheets/sheet1.xml", uint64_t(1) << 30, ' ')}), "book.xlsx",
         "<save: ", "the part xl/worksheets/sheet1.xml inflates more than 100-fold"},
        {"a gibibyte of zeros deflated",
         bookWith({Bomb("xl/worksheets/sheet1.xml", uint64_t(1) << 30, '\0')}), "book.xlsx",
         "<save: ", "xl/worksheets/sheet1.xml is no well-formed XML"},
        {"a gibibyte of blanks as the workbook", bookWith({Bomb("xl/workbook.xml", uint64_t(1) << 30, ' ')}),
         "book.xlsx", "<open: ", "the part xl/workbook.xml inflates more than 100-fold"},
        {"a DOCTYPE with entities in the workbook",
         bookWith({Stored("xl/workbook.xml", std::string(doctype) + "<workbook>&lol2;</workbook>")}),
         "book.xlsx", "<open: ", "xl/workbook.xml: a DOCTYPE is refused"},
        {"a DOCTYPE in the sheet",
         bookWith(
             {Stored("xl/worksheets/sheet1.xml", std::string(doctype) + "<worksheet>&lol2;</worksheet>")}),
         "book.xlsx", "<save: ", "xl/worksheets/sheet1.xml: a DOCTYPE is refused"},
        {"a 40,000-character inline cell",
         bookWith({}, "<row><c t=\"inlineStr\"><is><t>" + longCell + "</t></is></c></row>"), "book.xlsx",
         "<save: ", "xl/worksheets/sheet1.xml: a cell holds more than 32767"},
        {"a 40,000-character shared string",
         bookWith({Stored("xl/sharedStrings.xml", "<sst><si><t>" + longCell + "</t></si></sst>")}),
         "book.xlsx", "<save: ", "xl/sharedStrings.xml: a cell holds more than 32767"},
        {"a reference past column XFD", bookWith({}, R"(<row r="1"><c r="XFE1"><v>1</v></c></row>)"),
         "book.xlsx", "<save: ", "xl/worksheets/sheet1.xml: a cell reference past XFD1048576: XFE1"},
        {"a row past 1048576", bookWith({}, R"(<row r="1048577"><c><v>1</v></c></row>)"), "book.xlsx",
         "<save: ", "xl/worksheets/sheet1.xml: a row number past 1048576"},
        {"rows out of order",
         bookWith({}, R"(<row r="2"><c><v>1</v></c></row><row r="1"><c><v>1</v></c></row>)"), "book.xlsx",
         "<save: ", "xl/worksheets/sheet1.xml: rows out of order"},
        {"a shared string index past the table", bookWith({}, R"(<row><c t="s"><v>2</v></c></row>)"),
         "book.xlsx", "<save: ", "xl/worksheets/sheet1.xml: a shared string index out of range"},
        {"a sheet outside the archive",
         bookWith({Stored(
             "xl/_rels/workbook.xml.rels",
             R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="../../../etc/passwd"/></Relationships>)")}),
         "book.xlsx", "<open: ", "a relationship points outside the archive"},
        {"an external sheet",
         bookWith({Stored(
             "xl/_rels/workbook.xml.rels",
             R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="file:///etc/passwd" TargetMode="External"/></Relationships>)")}),
         "book.xlsx", "<open: ", "a relationship points outside the archive"},
        {"elements nested past any sheet",
         bookWith(
             {}, "<row><c><v>1</v></c></row>" +
                     [] {
                         std::string deep;
                         for (int i = 0; i < 100; ++i)
                             deep += "<a>";
                         return deep;
                     }()),
         "book.xlsx", "<save: ", "xl/worksheets/sheet1.xml: elements nested too deep"},
        {"only a chart sheet",
         bookWith({Stored(
             "xl/_rels/workbook.xml.rels",
             R"(<Relationships><Relationship Id="rId1" Type="x/chartsheet" Target="charts/c.xml"/></Relationships>)")}),
         "book.xlsx", "<open: ", "the workbook has no worksheet"},
        {"an encrypted workbook", [&] { return encrypted; }, "book.xlsx",
         "<open: ", "the workbook is encrypted"},
        {"a garbage .xls", [&] { return garbage; }, "book.xls", "<open: ", ""},
        {"no workbook at all", [] { return std::string("姓名,手机\r\n"); }, "book.xls", "<open: ", ""},
    };
    for (const Case& c : cases) {
        const std::string result = Convert(Write(c.bytes(), QString::fromUtf8(c.name)));
        EXPECT_EQ(result.rfind(c.stage, 0), 0u) << c.what << ": " << result;
        EXPECT_NE(result.find(c.reason), std::string::npos) << c.what << ": " << result;
        EXPECT_EQ(FilesIn(m_dir.path()), QStringList{QString::fromUtf8(c.name)}) << c.what;
        QFile::remove(m_dir.filePath(QString::fromUtf8(c.name)));
    }
}

TEST_F(SpreadsheetWritten, EncryptedAndOversizedCompoundFilesAreNotHandedOn) {
    const std::string encrypted = CompoundFile(u"EncryptedPackage", 0);
    Spreadsheet book;
    EXPECT_FALSE(book.Open(Write(encrypted, QStringLiteral("secret.xlsx"))));
    EXPECT_TRUE(book.ErrorText().contains(QStringLiteral("encrypted"))) << book.ErrorText().toStdString();

    // Past 256 MiB FreeXL never sees the file (a sparse file: no disk used).
    const QString large = Write(encrypted.substr(0, 8), QStringLiteral("large.xls"));
    ASSERT_TRUE(QFile::resize(large, (qint64(256) << 20) + 1));
    EXPECT_FALSE(book.Open(large));
    EXPECT_TRUE(book.ErrorText().contains(QStringLiteral("256 MiB"))) << book.ErrorText().toStdString();
}

TEST(SpreadsheetFormats, DateFormatsAreRecognised) {
    struct Case {
        int id;
        const char* code; // nullptr: a built-in format
        bool date;
    };
    const Case cases[] = {
        {14, nullptr, true},
        {22, nullptr, true},
        {31, nullptr, true}, // yyyy"年"m"月"d"日" in the Chinese built-ins
        {47, nullptr, true},
        {58, nullptr, true},
        {0, nullptr, false},
        {2, nullptr, false},
        {49, nullptr, false}, // "@"
        {164, "yyyy\"年\"m\"月\"d\"日\"", true},
        {164, "[$-804]yyyy年m月d日 hh:mm", true},
        {164, "dd/mm/yyyy", true},
        {164, "[Red]0.00", false},
        {164, "\"days\"0", false},
        {164, "0.00E+00", false},
        {164, "\\d0", false},
        {164, "#,##0_);[Red](#,##0)", false},
        {164, "General", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(XlsxWorkbook::IsDateFormat(c.id, c.code ? c.code : "", c.code != nullptr), c.date)
            << c.id << " " << (c.code ? c.code : "");
}

TEST(SpreadsheetFormats, SerialDates) {
    struct Case {
        double serial;
        bool date1904;
        const char* text; // nullptr: no date
    };
    const Case cases[] = {
        {1, false, "1900-01-01"},
        {59, false, "1900-02-28"},
        {60, false, "1900-02-29"}, // the phantom leap day
        {61, false, "1900-03-01"},
        {45293, false, "2024-01-02"},
        {45293.5729166667, false, "2024-01-02 13:45:00"},
        {45293.99999999, false, "2024-01-03"}, // rounds to the next midnight
        {0.5, false, "12:00:00"},
        {0, true, "1904-01-01"},
        {43831.25, true, "2024-01-02 06:00:00"},
        {2958465, false, "9999-12-31"},
        {2958466, false, nullptr},
        {-1, false, nullptr},
    };
    for (const Case& c : cases) {
        std::string out;
        const bool ok = AppendSerialDate(out, c.serial, c.date1904);
        EXPECT_EQ(ok, c.text != nullptr) << c.serial;
        if (c.text) {
            EXPECT_EQ(out, c.text) << c.serial;
        }
    }
}

} // namespace
