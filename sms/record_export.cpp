#include "sms/record_export.h"

#include "contacts/csv_writer.h"
#include "contacts/xlsx_writer.h"
#include "core/row_source.h"

#include <QFile>

namespace {
constexpr int kSheetNameMax = 31;
} // namespace

QString ExportSheetName(const QString& title, int index) {
    QString base = title;
    for (QChar bad : {u'[', u']', u':', u'*', u'?', u'/', u'\\'})
        base.replace(bad, QLatin1Char('_'));
    if (base.isEmpty())
        base = QStringLiteral("Sheet");
    const QString suffix = index > 0 ? QStringLiteral("(%1)").arg(index + 1) : QString();
    const qsizetype room = kSheetNameMax - suffix.size();
    if (base.size() > room) {
        base.truncate(room);
        if (base.back().isHighSurrogate())
            base.chop(1);
    }
    return base + suffix;
}

namespace {

// Streams the rows into an open writer; `beforeRow` may start a new sheet.
// Whatever fails (a row that cannot be read, a write, the close) leaves no
// file behind.
template <typename Writer>
RecordExportResult CopyRows(Writer& writer, const QString& path, bool started, const RecordRowReader& next,
                            const std::function<bool()>& beforeRow = {}) {
    RecordExportResult result;
    bool failed = !started;
    QStringList cells;
    while (!failed) {
        cells.clear();
        const RowStep step = next(cells);
        if (step == RowStep::End)
            break;
        if (step == RowStep::Failed) {
            result.error = QStringLiteral("rows could not be read");
            failed = true;
            break;
        }
        failed = (beforeRow && !beforeRow()) || !writer.AddRow(cells);
        if (!failed)
            ++result.rows;
    }
    if (failed && result.error.isEmpty())
        result.error = writer.ErrorText();
    const bool written = writer.Close();
    if (!written && result.error.isEmpty())
        result.error = writer.ErrorText();
    if (failed || !written) {
        QFile::remove(path);
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

RecordExportResult ExportRecordsXlsx(const QString& path, const QString& title, const QStringList& header,
                                     const RecordRowReader& next, unsigned rowsPerSheet) {
    const unsigned perSheet =
        rowsPerSheet == 0 || rowsPerSheet > kSheetRowsMax ? kSheetRowsMax : rowsPerSheet;
    XlsxWriter writer(path);
    int sheet = 0;
    unsigned sheetRows = 0;
    auto startSheet = [&]() {
        if (!writer.AddSheet(ExportSheetName(title, sheet++)) || !writer.AddRow(header))
            return false;
        sheetRows = 1;
        return true;
    };
    const bool started = startSheet();
    return CopyRows(writer, path, started, next, [&]() {
        // A header-only sheet never takes rows, however small the limit.
        if (sheetRows >= perSheet && perSheet > 1 && !startSheet())
            return false;
        ++sheetRows;
        return true;
    });
}

RecordExportResult ExportRecordsCsv(const QString& path, const QStringList& header,
                                    const RecordRowReader& next) {
    CsvWriter writer(path);
    const bool started = writer.AddRow(header);
    return CopyRows(writer, path, started, next);
}

RecordRowReader RowSourceReader(RowSource& source, std::vector<int> columns, RecordCellText cell) {
    int row = 0;
    return [&source, columns = std::move(columns), cell = std::move(cell), row](QStringList& cells) mutable {
        if (row >= source.Count())
            return RowStep::End;
        source.Load(row);
        if (!source.IsCached(row))
            return RowStep::Failed;
        for (int column : columns) {
            const QString text = source.CellText(row, column);
            cells << (cell ? cell(column, text) : text);
        }
        ++row;
        return RowStep::Row;
    };
}
