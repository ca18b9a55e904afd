#include "contacts/xlsx_writer.h"

#include <QFile>

#include <xlsxwriter.h>

namespace {
// Characters a cell may hold.
constexpr qsizetype kCellLimit = 32767;
} // namespace

XlsxWriter::XlsxWriter(const QString& path) : m_path(path) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    const QByteArray file = QFile::encodeName(path);
    m_workbook = workbook_new_opt(file.constData(), &options);
    if (!m_workbook)
        Fail(LXW_ERROR_MEMORY_MALLOC_FAILED, "workbook");
}

XlsxWriter::~XlsxWriter() {
    if (!m_closed && m_workbook)
        Close();
}

bool XlsxWriter::Fail(int code, const char* what) {
    m_failed = true;
    m_error = QStringLiteral("%1: %2").arg(QString::fromUtf8(what),
                                           QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(code))));
    return false;
}

bool XlsxWriter::AddSheet(const QString& name) {
    if (!m_workbook || m_closed)
        return Fail(LXW_ERROR_NULL_PARAMETER_IGNORED, "sheet");
    const QByteArray utf8 = name.toUtf8();
    lxw_error check = workbook_validate_sheet_name(m_workbook, utf8.constData());
    if (name.isEmpty() || check != LXW_NO_ERROR)
        return Fail(name.isEmpty() ? LXW_ERROR_SHEETNAME_LENGTH_EXCEEDED : check, "sheet");
    m_sheet = workbook_add_worksheet(m_workbook, utf8.constData());
    m_row = 0;
    return m_sheet ? true : Fail(LXW_ERROR_MEMORY_MALLOC_FAILED, "sheet");
}

bool XlsxWriter::AddRow(const QStringList& cells) {
    if (!m_workbook || m_closed)
        return Fail(LXW_ERROR_NULL_PARAMETER_IGNORED, "row");
    if (!m_sheet && !AddSheet(QStringLiteral("Sheet1")))
        return false;
    if (m_row >= LXW_ROW_MAX)
        return Fail(LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE, "row");
    lxw_col_t column = 0;
    for (const QString& cell : cells) {
        if (!cell.isEmpty()) {
            QString text = cell.size() > kCellLimit ? cell.left(kCellLimit) : cell;
            // Never split a surrogate pair at the cut.
            if (text.size() < cell.size() && text.back().isHighSurrogate())
                text.chop(1);
            const QByteArray utf8 = text.toUtf8();
            lxw_error rc = worksheet_write_string(m_sheet, m_row, column, utf8.constData(), nullptr);
            if (rc != LXW_NO_ERROR)
                return Fail(rc, "cell");
        }
        ++column;
    }
    ++m_row;
    return true;
}

bool XlsxWriter::Close() {
    if (m_closed)
        return !m_failed;
    m_closed = true;
    if (!m_workbook)
        return false;
    lxw_error rc = workbook_close(m_workbook);
    m_workbook = nullptr;
    if (rc != LXW_NO_ERROR) {
        Fail(rc, "file");
        // A file that was started but not finished is no export.
        if (rc != LXW_ERROR_CREATING_XLSX_FILE)
            QFile::remove(m_path);
        return false;
    }
    if (m_failed)
        QFile::remove(m_path);
    return !m_failed;
}

QString XlsxFileName(const QString& chosen) {
    if (chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return chosen;
    if (chosen.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive))
        return chosen + QLatin1Char('x');
    return chosen + QLatin1String(".xlsx");
}
