#include "contacts/csv_writer.h"
#include "contacts/xlsx_writer.h"
#include "sms/record_export.h"

#include "tests/support/xlsx_reader.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The file's bytes decoded from code page 936 by iconv, a converter of its
// own, so a fault of the program's encoder cannot hide itself.
QString IconvFromCp936(const QString& path) {
    QProcess iconv;
    iconv.start(QStringLiteral("iconv"), {QStringLiteral("-f"), QStringLiteral("CP936"), QStringLiteral("-t"),
                                          QStringLiteral("UTF-8"), path});
    EXPECT_TRUE(iconv.waitForFinished(10000));
    EXPECT_EQ(iconv.exitCode(), 0) << iconv.readAllStandardError().toStdString();
    return QString::fromUtf8(iconv.readAllStandardOutput());
}

RecordRowReader ListReader(const std::vector<QStringList>& rows) {
    size_t next = 0;
    return [&rows, next](QStringList& cells) mutable {
        if (next >= rows.size())
            return RowStep::End;
        cells = rows[next++];
        return RowStep::Row;
    };
}

TEST(RecordExportCsv, CellsNeverBreakTheirRow) {
    struct Case {
        const char* text;
        const char* cell;
    } cases[] = {
        {"a,b", "a，b"},    {"line1\r\nline2", "line1 line2"}, {"line1\nline2\rline3", "line1 line2 line3"},
        {"\r\n\r\n", "  "}, {"中文，已有", "中文，已有"},      {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CsvWriter::Cell(QString::fromUtf8(c.text)), QString::fromUtf8(c.cell)) << c.text;
}

TEST(RecordExportCsv, MultiLineTextStaysOnOneRowInCodePage936) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.csv"));
    const std::vector<QStringList> rows = {
        {"张三", "13800000001", "第一行\r\n第二行,带逗号", "公司", "2024-05-01 08:00:00"},
        {"", "12345", "a\nb", "", ""},
    };
    const RecordExportResult result =
        ExportRecordsCsv(path, {"姓名", "联系电话", "短信内容", "公司名称", "发送时间"}, ListReader(rows));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rows, 2);
    EXPECT_EQ(IconvFromCp936(path),
              QStringLiteral("姓名,联系电话,短信内容,公司名称,发送时间\n"
                             "张三,13800000001,第一行 第二行，带逗号,公司,2024-05-01 08:00:00\n"
                             ",12345,a b,,\n"));
}

TEST(RecordExportCsv, UnwritablePathOrUnreadableRowsLeaveNoFile) {
    QTemporaryDir dir;
    const std::vector<QStringList> rows = {{"x"}};
    const RecordExportResult nowhere =
        ExportRecordsCsv(dir.filePath(QStringLiteral("missing/r.csv")), {"h"}, ListReader(rows));
    EXPECT_FALSE(nowhere.ok);
    EXPECT_FALSE(nowhere.error.isEmpty());

    const QString path = dir.filePath(QStringLiteral("half.csv"));
    int calls = 0;
    const RecordExportResult broken = ExportRecordsCsv(path, {"h"}, [&](QStringList& cells) {
        if (calls++ == 0) {
            cells << "first";
            return RowStep::Row;
        }
        return RowStep::Failed;
    });
    EXPECT_FALSE(broken.ok);
    EXPECT_FALSE(QFile::exists(path)) << "a part of a list is no export";
}

TEST(RecordExportXlsx, TextCellsUnderTheHeaderContinuingOnFurtherSheets) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("r.xlsx"));
    const std::vector<QStringList> rows = {
        {"张三", "138****5678", "多行\n文本,逗号", "", "2024-05-01"},
        {"", "00123", "=1+1", "公司", ""},
        {"李四", "1e5", "", "", ""},
    };
    const QStringList header = {"姓名", "联系电话", "短信内容", "公司名称", "发送时间"};
    // Three rows a sheet: the header and two records.
    const RecordExportResult result =
        ExportRecordsXlsx(path, QStringLiteral("已接收短信记录"), header, ListReader(rows), 3);
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_EQ(result.rows, 3);
    const auto book = ReadXlsx(path);
    ASSERT_EQ(book.size(), 2u);
    // Trailing empty cells read back dropped.
    const std::vector<QStringList> first = {
        header,
        {"张三", "138****5678", "多行\n文本,逗号", "", "2024-05-01"},
        {"", "00123", "=1+1", "公司"},
    };
    const std::vector<QStringList> second = {header, {"李四", "1e5"}};
    EXPECT_EQ(book.at(QStringLiteral("已接收短信记录")), first);
    EXPECT_EQ(book.at(QStringLiteral("已接收短信记录(2)")), second);
}

TEST(RecordExportXlsx, EmptyListGivesAHeaderOnlySheet) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("e.xlsx"));
    const RecordExportResult result =
        ExportRecordsXlsx(path, QStringLiteral("相应的回复记录"), {"a", "b"}, ListReader({}));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
    const auto book = ReadXlsx(path);
    ASSERT_EQ(book.size(), 1u);
    EXPECT_EQ(book.begin()->second, (std::vector<QStringList>{{"a", "b"}}));
}

TEST(RecordExportXlsx, FailuresLeaveNoFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.xlsx"));
    int calls = 0;
    const RecordExportResult broken =
        ExportRecordsXlsx(path, QStringLiteral("t"), {"h"}, [&](QStringList& cells) {
            if (calls++ == 0) {
                cells << "first";
                return RowStep::Row;
            }
            return RowStep::Failed;
        });
    EXPECT_FALSE(broken.ok);
    EXPECT_FALSE(QFile::exists(path));
    const RecordExportResult nowhere = ExportRecordsXlsx(dir.filePath(QStringLiteral("no/dir/f.xlsx")),
                                                         QStringLiteral("t"), {"h"}, ListReader({}));
    EXPECT_FALSE(nowhere.ok);
}

TEST(RecordExportNames, SheetAndFileNames) {
    EXPECT_EQ(ExportSheetName(QStringLiteral("已接收短信记录"), 0), QStringLiteral("已接收短信记录"));
    EXPECT_EQ(ExportSheetName(QStringLiteral("已接收短信记录"), 2), QStringLiteral("已接收短信记录(3)"));
    EXPECT_EQ(ExportSheetName(QStringLiteral("a/b:c"), 0), QStringLiteral("a_b_c"));
    const QString longTitle(40, QLatin1Char('x'));
    EXPECT_EQ(ExportSheetName(longTitle, 1).size(), 31);
    EXPECT_TRUE(ExportSheetName(longTitle, 1).endsWith(QStringLiteral("(2)")));
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/a.xls")), QStringLiteral("/t/a.xlsx"));
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/a.XLSX")), QStringLiteral("/t/a.XLSX"));
    EXPECT_EQ(XlsxFileName(QStringLiteral("/t/已接收短信记录")), QStringLiteral("/t/已接收短信记录.xlsx"));
}

} // namespace
