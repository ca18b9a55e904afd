#include "contacts/xls_reader.h"

#include <QFile>
#include <QFileInfo>

#include <freexl.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr qint64 kXlsLimit = qint64(256) << 20;

struct FreexlHandle {
    const void* handle = nullptr;
    ~FreexlHandle() {
        if (handle)
            freexl_close(handle);
    }
};

QString FreexlError(int code) {
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        return QStringLiteral("out of memory");
    case FREEXL_CRAFTED_FILE:
        return QStringLiteral("a crafted or severely damaged .xls file");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        return QStringLiteral("the compound file holds no workbook");
    default:
        return QStringLiteral("FreeXL cannot read the file (error %1)").arg(code);
    }
}

// UTF-16LE directory entry names, zero padded to the 64 bytes of the field.
bool IsEntryNamed(const char* entry, const char16_t* name) {
    const size_t length = std::char_traits<char16_t>::length(name);
    for (size_t i = 0; i < 32; ++i) {
        const char16_t want = i < length ? name[i] : u'\0';
        const auto got = static_cast<char16_t>(static_cast<unsigned char>(entry[2 * i]) |
                                               static_cast<unsigned char>(entry[2 * i + 1]) << 8);
        if (got != want)
            return false;
        if (want == u'\0')
            break;
    }
    // The name's byte count with its terminator, and a stream entry.
    const unsigned nameBytes = static_cast<unsigned char>(entry[64]) | static_cast<unsigned char>(entry[65])
                                                                           << 8;
    return nameBytes == 2 * (length + 1) && entry[66] == 2;
}

} // namespace

bool IsEncryptedCompoundFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Directory entries are 128 bytes on 128-byte bounds after the 512-byte
    // header, whatever the sector size.
    constexpr qint64 kBlock = 1 << 20;
    if (!file.seek(512))
        return false;
    QByteArray block;
    while (!(block = file.read(kBlock)).isEmpty()) {
        for (qsizetype at = 0; at + 128 <= block.size(); at += 128) {
            const char* entry = block.constData() + at;
            if (IsEntryNamed(entry, u"EncryptionInfo") || IsEntryNamed(entry, u"EncryptedPackage"))
                return true;
        }
    }
    return false;
}

bool XlsWorkbook::Open(const QString& path, QString& error) {
    if (QFileInfo(path).size() > kXlsLimit) {
        error = QStringLiteral("an .xls file over 256 MiB is refused");
        return false;
    }
    if (IsEncryptedCompoundFile(path)) {
        error = QStringLiteral("the workbook is encrypted");
        return false;
    }
    m_path = QFile::encodeName(path);
    FreexlHandle xls;
    const int rc = freexl_open_info(m_path.constData(), &xls.handle);
    if (rc != FREEXL_OK) {
        error = FreexlError(rc);
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        error = QStringLiteral("the workbook is encrypted");
        return false;
    }
    unsigned int count = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) {
        error = QStringLiteral("the workbook lists no sheets");
        return false;
    }
    for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(xls.handle, static_cast<unsigned short>(i), &name) != FREEXL_OK ||
            !name) {
            error = QStringLiteral("the name of sheet %1 cannot be read").arg(i + 1);
            return false;
        }
        m_names << QString::fromUtf8(name);
    }
    return true;
}

bool XlsWorkbook::WriteSheet(int index, SheetCsvWriter& out, const Progress& progress, QString& error) {
    if (index < 0 || index >= m_names.size()) {
        error = QStringLiteral("no such sheet");
        return false;
    }
    FreexlHandle xls;
    int rc = freexl_open(m_path.constData(), &xls.handle);
    if (rc == FREEXL_OK)
        rc = freexl_select_active_worksheet(xls.handle, static_cast<unsigned short>(index));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (rc == FREEXL_OK)
        rc = freexl_worksheet_dimensions(xls.handle, &rows, &columns);
    if (rc != FREEXL_OK) {
        error = FreexlError(rc);
        return false;
    }
    std::string value;
    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned short column = 0; column < columns; ++column) {
            FreeXL_CellValue cell;
            rc = freexl_get_cell_value(xls.handle, row, column, &cell);
            if (rc != FREEXL_OK) {
                error = FreexlError(rc);
                return false;
            }
            value.clear();
            switch (cell.type) {
            case FREEXL_CELL_INT:
                value = std::to_string(cell.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                AppendNumber(value, cell.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_TIME:
                if (cell.value.text_value)
                    value = cell.value.text_value;
                break;
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
                if (cell.value.text_value)
                    AppendDateTimeText(value, cell.value.text_value);
                break;
            default:
                break;
            }
            if (value.empty())
                continue;
            if (Utf16Length(value) > kSheetCellLimit) {
                error = QStringLiteral("a cell holds more than 32767 characters");
                return false;
            }
            if (!out.Cell(row, column, value, error))
                return false;
        }
        if (progress && (row % 1024 == 0 || row + 1 == rows) && !progress(row + 1, rows)) {
            error = QStringLiteral("stopped");
            return false;
        }
    }
    return true;
}
