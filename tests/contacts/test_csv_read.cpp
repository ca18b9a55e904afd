// Reading the CSV files of the contact import: the encoding decided over the
// whole file, records across block ends, quoted line breaks, records too long
// to keep, and the header the import window shows.
#include "contacts/csv_reader.h"
#include "platform/encoding.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <vector>

namespace {

using Next = CsvRecordReader::Next;

// Every record of a file ("TooLong@<line>" for a skipped one, "ReadFailed"
// for a failure), fields joined by "|".
std::vector<QString> ReadAll(const QString& path, size_t blockSize = kCsvBlockSize, QChar separator = u',',
                             CsvEncoding* encoding = nullptr) {
    CsvRecordReader reader(separator, blockSize);
    std::vector<QString> records;
    if (reader.open(path) != CsvHeaderResult::Ok)
        return {QStringLiteral("not opened")};
    if (encoding)
        *encoding = reader.encoding();
    QStringList fields;
    for (;;) {
        const Next next = reader.next(fields);
        if (next == Next::End)
            break;
        if (next == Next::ReadFailed) {
            records.push_back(QStringLiteral("ReadFailed"));
            break;
        }
        if (next == Next::TooLong)
            records.push_back(QStringLiteral("TooLong@%1").arg(reader.recordLine()));
        else
            records.push_back(fields.join(u'|'));
    }
    return records;
}

class CsvRead : public ::testing::Test {
protected:
    QString Write(const QString& name, const std::string& bytes) {
        m_folder.writeFile(name, QByteArray::fromStdString(bytes));
        return m_folder.file(name);
    }
    ProgramFolder m_folder;
};

// The same text as code page 936, UTF-8 and UTF-8 with BOM, with LF and CR LF
// line ends, read in blocks of many sizes: always the same records.
TEST_F(CsvRead, EveryEncodingAndLineEndGivesTheSameRecords) {
    const QString text = QStringLiteral("姓名,手机,地址\n"
                                        "张三,13800138000,\"北京市,海淀区\"\n"
                                        "\"李\"\"四\",13900139000,\"第一行\n第二行\"\n"
                                        "王五,,\n"
                                        "赵六,13700137000,上海");
    const std::vector<QString> expected = {
        QStringLiteral("姓名|手机|地址"),
        QStringLiteral("张三|13800138000|北京市,海淀区"),
        QStringLiteral("李\"四|13900139000|第一行\n第二行"),
        QStringLiteral("王五||"),
        QStringLiteral("赵六|13700137000|上海"),
    };
    struct Encoding {
        const char* what;
        CsvEncoding encoding;
        std::string (*bytes)(const QString&);
    };
    const Encoding encodings[] = {
        {"code page 936", CsvEncoding::Gbk, [](const QString& t) { return enc::ToGbk(t); }},
        {"UTF-8", CsvEncoding::Utf8, [](const QString& t) { return t.toStdString(); }},
        {"UTF-8 with BOM", CsvEncoding::Utf8,
         [](const QString& t) { return "\xEF\xBB\xBF" + t.toStdString(); }},
    };
    for (const Encoding& e : encodings) {
        for (const bool crlf : {false, true}) {
            QString lines = text;
            if (crlf)
                lines.replace(u'\n', QStringLiteral("\r\n"));
            const QString path = Write(QStringLiteral("c.csv"), e.bytes(lines));
            for (const size_t block :
                 {size_t(1), size_t(2), size_t(3), size_t(7), size_t(64), kCsvBlockSize}) {
                SCOPED_TRACE(testing::Message() << e.what << (crlf ? " CR LF" : " LF") << " block " << block);
                CsvEncoding encoding{};
                std::vector<QString> want = expected;
                if (crlf) // a break inside quotes is kept as it stands
                    want[2].replace(u'\n', QStringLiteral("\r\n"));
                EXPECT_EQ(ReadAll(path, block, u',', &encoding), want);
                EXPECT_EQ(encoding, e.encoding);
            }
        }
    }
}

TEST_F(CsvRead, CodePage936BehindAnAsciiFirstMegabyteStaysCodePage936) {
    std::string bytes;
    while (bytes.size() < 1024 * 1024 + 100)
        bytes += "name,13800138000\n";
    bytes += enc::ToGbk(QStringLiteral("张三,13900139000\n"));
    CsvEncoding encoding{};
    const std::vector<QString> records =
        ReadAll(Write(QStringLiteral("late.csv"), bytes), kCsvBlockSize, u',', &encoding);
    EXPECT_EQ(encoding, CsvEncoding::Gbk);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back(), QStringLiteral("张三|13900139000"));
}

TEST_F(CsvRead, Utf16IsRefusedAndAMissingFileCannotBeOpened) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"UTF-16 LE", std::string("\xFF\xFE"
                                  "a\0,\0b\0",
                                  8)},
        {"UTF-16 BE", std::string("\xFE\xFF\0a\0,\0b", 8)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Write(QStringLiteral("u16.csv"), c.bytes);
        CsvRecordReader reader;
        EXPECT_EQ(reader.open(path), CsvHeaderResult::Utf16);
        QStringList columns{QStringLiteral("kept")};
        EXPECT_EQ(ReadCsvHeader(path, columns), CsvHeaderResult::Utf16);
        EXPECT_EQ(columns, QStringList{QStringLiteral("kept")});
    }
    QStringList columns;
    EXPECT_EQ(ReadCsvHeader(m_folder.file(QStringLiteral("none.csv")), columns), CsvHeaderResult::CannotOpen);
    EXPECT_EQ(ReadCsvHeader(m_folder.path(), columns), CsvHeaderResult::CannotOpen) << "a folder";
}

// A record over 1 MiB is skipped as one, with the line it began on; the
// records around it are read, also when it is a quoted field with breaks.
TEST_F(CsvRead, ARecordTooLongIsSkippedAndReadingGoesOn) {
    const std::string big(2 * 1024 * 1024, 'x');
    const struct {
        const char* what;
        std::string bytes;
        std::vector<QString> records;
    } cases[] = {
        {"plain", "a,b\r\n1," + big + "\r\n2,c", {"a|b", "TooLong@2", "2|c"}},
        {"quoted with breaks", "a,b\n\"" + big + "\n\n" + big + "\",x\n2,c\n", {"a|b", "TooLong@2", "2|c"}},
        {"at the end, no line end", "a,b\n\n3,d\n" + big, {"a|b", "3|d", "TooLong@4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = Write(QStringLiteral("big.csv"), c.bytes);
        std::vector<QString> want;
        for (const QString& r : c.records)
            want.push_back(r);
        EXPECT_EQ(ReadAll(path, 100000), want);
    }
}

TEST_F(CsvRead, LinesQuotesAndEmptyLines) {
    const struct {
        const char* what;
        std::string bytes;
        std::vector<QString> records;
    } cases[] = {
        {"empty lines are no records", "\r\n\na\n\r\n\nb\n\n", {"a", "b"}},
        {"a lone CR stays in its field", "a\rb,c\n", {"a\rb|c"}},
        {"a quote inside a field is a character", "ab\"c,d\ne\n", {"ab\"c|d", "e"}},
        {"text after closing quotes", "\"a\"b,c\n", {"ab|c"}},
        {"an unclosed quote runs to the end", "x,\"a\nb\n", {"x|a\nb\n"}},
        {"a trailing separator gives an empty field", "a,\n", {"a|"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QString> want;
        for (const QString& r : c.records)
            want.push_back(r);
        for (const size_t block : {size_t(1), kCsvBlockSize})
            EXPECT_EQ(ReadAll(Write(QStringLiteral("q.csv"), c.bytes), block), want) << "block " << block;
    }
}

// The separator is compared by character: in code page 936 a double-byte
// character whose second byte is '|' is not a separator.
TEST_F(CsvRead, TheSeparatorIsAParameterOfReaderAndHeader) {
    // The first character whose code page 936 form ends in '|'.
    QChar wide;
    for (char16_t c = 0x4E00; c < 0x9FA5 && wide.isNull(); ++c)
        if ((enc::GbkOfCodeUnit(c) & 0xFF) == '|')
            wide = QChar(c);
    ASSERT_FALSE(wide.isNull());
    const QString text = QStringLiteral("名%1|手机\n张%1三|13800138000\n").arg(wide);
    const QString gbk = Write(QStringLiteral("bar.csv"), enc::ToGbk(text));
    for (const size_t block : {size_t(1), kCsvBlockSize}) {
        EXPECT_EQ(ReadAll(gbk, block, u'|'),
                  (std::vector<QString>{QStringLiteral("名%1|手机").arg(wide),
                                        QStringLiteral("张%1三|13800138000").arg(wide)}));
    }
    QStringList columns;
    ASSERT_EQ(ReadCsvHeader(gbk, columns, u'|'), CsvHeaderResult::Ok);
    EXPECT_EQ(columns, (QStringList{QStringLiteral("名%1").arg(wide), QStringLiteral("手机")}));

    // A separator that is no ASCII character, in both encodings.
    const QString wideComma = QStringLiteral("姓名，\"手机，号\"\n张三，13800138000\n");
    for (const std::string& bytes : {enc::ToGbk(wideComma), wideComma.toStdString()}) {
        const QString path = Write(QStringLiteral("wide.csv"), bytes);
        EXPECT_EQ(ReadAll(path, 1, u'，'), (std::vector<QString>{QStringLiteral("姓名|手机，号"),
                                                                 QStringLiteral("张三|13800138000")}));
    }
}

TEST_F(CsvRead, HeaderIsTheFirstRecordSplitInTheFilesEncoding) {
    const std::string longName(600, 'n');
    const struct {
        const char* what;
        std::string bytes;
        CsvHeaderResult result;
        QStringList columns;
    } cases[] = {
        {"LF only", "姓名,手机\n张三,1\n", CsvHeaderResult::Ok, {"姓名", "手机"}},
        {"CR LF, blanks around names", " 姓名 ,\t手机\r\n", CsvHeaderResult::Ok, {"姓名", "手机"}},
        {"no line end", "a,b", CsvHeaderResult::Ok, {"a", "b"}},
        {"600 bytes", longName + ",手机\n", CsvHeaderResult::Ok, {QString::fromStdString(longName), "手机"}},
        {"quoted comma", "\"姓,名\",手机\n", CsvHeaderResult::Ok, {"姓,名", "手机"}},
        {"quoted break", "\"姓\n名\",手机\n", CsvHeaderResult::Ok, {"姓\n名", "手机"}},
        {"empty name", "a,,b\n", CsvHeaderResult::Ok, {"a", "", "b"}},
        {"BOM", "\xEF\xBB\xBF姓名,手机\n", CsvHeaderResult::Ok, {"姓名", "手机"}},
        {"code page 936", enc::ToGbk(QStringLiteral("姓名,手机\n")), CsvHeaderResult::Ok, {"姓名", "手机"}},
        {"empty file", "", CsvHeaderResult::Unreadable, {}},
        {"only separators", ",,\n1,2,3\n", CsvHeaderResult::Unreadable, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList columns{QStringLiteral("before")};
        EXPECT_EQ(ReadCsvHeader(Write(QStringLiteral("h.csv"), c.bytes), columns), c.result);
        EXPECT_EQ(columns,
                  c.result == CsvHeaderResult::Ok ? c.columns : QStringList{QStringLiteral("before")});
    }
    QStringList columns;
    std::string over64k(70 * 1024, 'a');
    over64k += "\nb\n";
    EXPECT_EQ(ReadCsvHeader(Write(QStringLiteral("h.csv"), over64k), columns), CsvHeaderResult::Unreadable);
}

TEST_F(CsvRead, AFileCutShortWhileItIsReadFails) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += "name" + std::to_string(i) + ",13800138000\n";
    const QString path = Write(QStringLiteral("cut.csv"), bytes);
    CsvRecordReader reader(u',', 4096);
    ASSERT_EQ(reader.open(path), CsvHeaderResult::Ok);
    QStringList fields;
    ASSERT_EQ(reader.next(fields), Next::Record);
    ASSERT_TRUE(QFile::resize(path, 8000));
    Next next;
    int records = 1;
    while ((next = reader.next(fields)) == Next::Record)
        ++records;
    EXPECT_EQ(next, Next::ReadFailed);
    EXPECT_LT(records, 1000);
    EXPECT_EQ(reader.fileSize(), static_cast<qint64>(bytes.size()));
}

} // namespace
