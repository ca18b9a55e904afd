#include "contacts/sheet_csv.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kFlushAt = 1 << 20;
// A sheet's CSV never grows past what the import reads.
constexpr qint64 kOutputLimit = qint64(2) << 30;

bool NeedsQuotes(std::string_view text) {
    for (char c : text)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

void AppendField(std::string& out, std::string_view text) {
    if (!NeedsQuotes(text)) {
        out.append(text);
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendDigits(std::string& out, int64_t value, int width) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*lld", width, static_cast<long long>(value));
    out.append(buf);
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

void AppendTime(std::string& out, int64_t seconds) {
    AppendDigits(out, seconds / 3600, 2);
    out.push_back(':');
    AppendDigits(out, seconds / 60 % 60, 2);
    out.push_back(':');
    AppendDigits(out, seconds % 60, 2);
}

} // namespace

qsizetype Utf16Length(std::string_view utf8) {
    qsizetype n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80)
            ++n;
        if (c >= 0xF0)
            ++n; // a character outside the BMP takes two
    }
    return n;
}

void AppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out.append("#NUM!");
        return;
    }
    // The 15 significant digits a spreadsheet shows, written out in fixed
    // form: 13800138000, 1.5, 0.001, 12345678901234600000; never 1.38E+10.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    const char* p = buf;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    std::string digits(1, *p);
    digits.append(p + 2, 14);
    const int exponent = std::atoi(p + 17);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    if (digits == "0") {
        out.push_back('0');
        return;
    }
    if (negative)
        out.push_back('-');
    const int point = exponent + 1; // digits before the decimal point
    const int n = static_cast<int>(digits.size());
    if (point <= 0) {
        out.append("0.");
        out.append(static_cast<size_t>(-point), '0');
        out.append(digits);
    } else if (point >= n) {
        out.append(digits);
        out.append(static_cast<size_t>(point - n), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(point));
        out.push_back('.');
        out.append(digits, static_cast<size_t>(point));
    }
}

void AppendNumberText(std::string& out, std::string_view text) {
    // Whole numbers of up to 15 digits are the common case (phone numbers,
    // counts) and print as they stand.
    size_t i = !text.empty() && text[0] == '-' ? 1 : 0;
    const size_t digits = text.size() - i;
    if (digits > 0 && digits <= 15 && (text[i] != '0' || (digits == 1 && i == 0)) &&
        std::all_of(text.begin() + i, text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        out.append(text);
        return;
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !std::isfinite(value)) {
        out.append(text);
        return;
    }
    AppendNumber(out, value);
}

bool AppendSerialDate(std::string& out, double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0 || serial >= 2958466)
        return false;
    const int64_t total = std::llround(serial * 86400.0);
    const int64_t days = total / 86400;
    const int64_t seconds = total % 86400;
    int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    if (date1904) {
        CivilFromDays(DaysFromCivil(1904, 1, 1) + days, y, m, d);
    } else if (days == 0) {
        AppendTime(out, seconds);
        return true;
    } else if (days == 60) {
        // The day spreadsheet programs count although 1900 was no leap year.
        y = 1900, m = 2, d = 29;
    } else {
        CivilFromDays(DaysFromCivil(1899, 12, days < 60 ? 31 : 30) + days, y, m, d);
    }
    if (y > 9999)
        return false;
    AppendDigits(out, y, 4);
    out.push_back('-');
    AppendDigits(out, m, 2);
    out.push_back('-');
    AppendDigits(out, d, 2);
    if (seconds != 0) {
        out.push_back(' ');
        AppendTime(out, seconds);
    }
    return true;
}

void AppendDateTimeText(std::string& out, std::string_view text) {
    if (text.size() == 19 && text.substr(10) == " 00:00:00")
        text = text.substr(0, 10);
    out.append(text);
}

SheetCsvWriter::SheetCsvWriter(const QString& path) : m_path(path) {}

SheetCsvWriter::~SheetCsvWriter() = default;

bool SheetCsvWriter::Begin(QString& error) {
    const QFileInfo target(m_path);
    m_file = std::make_unique<QTemporaryFile>(target.absolutePath() + QLatin1Char('/') + target.fileName() +
                                              QStringLiteral(".XXXXXX"));
    if (!m_file->open()) {
        error = QStringLiteral("cannot create a file beside %1: %2").arg(m_path, m_file->errorString());
        return false;
    }
    m_buffer.reserve(kFlushAt + 64 * 1024);
    m_buffer.assign("\xEF\xBB\xBF");
    return true;
}

bool SheetCsvWriter::Flush(QString& error) {
    m_written += static_cast<qint64>(m_buffer.size());
    if (m_written > kOutputLimit) {
        error = QStringLiteral("the sheet's CSV would exceed 2 GiB");
        return false;
    }
    if (m_file->write(m_buffer.data(), static_cast<qint64>(m_buffer.size())) !=
        static_cast<qint64>(m_buffer.size())) {
        error = QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString());
        return false;
    }
    m_buffer.clear();
    return true;
}

bool SheetCsvWriter::CloseRow(QString& error) {
    m_buffer.append("\r\n");
    m_rowColumns.push_back(static_cast<uint16_t>(m_columns));
    m_columns = 0;
    return m_buffer.size() < kFlushAt || Flush(error);
}

bool SheetCsvWriter::Cell(uint32_t row, uint32_t column, std::string_view utf8, QString& error) {
    if (row < m_row || (row == m_row && column < m_columns) || column >= kSheetMaxColumns) {
        error = QStringLiteral("cells out of order");
        return false;
    }
    if (row != m_row) {
        if (m_row >= 0 && !CloseRow(error))
            return false;
        // Rows without a value in between are lines of empty fields.
        while (static_cast<int64_t>(m_rowColumns.size()) < row)
            if (!CloseRow(error))
                return false;
        m_row = row;
    }
    // Commas for the empty fields before this one and the one that parts it.
    m_buffer.append(column - (m_columns > 0 ? m_columns - 1 : 0), ',');
    AppendField(m_buffer, utf8);
    m_columns = column + 1;
    m_maxColumns = std::max(m_maxColumns, m_columns);
    return true;
}

bool SheetCsvWriter::Finish(QString& error) {
    if (m_row >= 0 && !CloseRow(error))
        return false;
    if (!Flush(error) || !m_file->flush()) {
        if (error.isEmpty())
            error = QStringLiteral("cannot write %1").arg(m_file->fileName());
        return false;
    }
    qint64 padding = 0;
    for (uint16_t n : m_rowColumns)
        padding += m_maxColumns - std::max<uint32_t>(n, 1);
    if (m_written + padding > kOutputLimit) {
        error = QStringLiteral("the sheet's CSV would exceed 2 GiB");
        return false;
    }
    if (padding > 0 && !PadRows(error))
        return false;
    if (std::rename(QFile::encodeName(m_file->fileName()).constData(),
                    QFile::encodeName(m_path).constData()) != 0) {
        error = QStringLiteral("cannot put %1 in place: %2")
                    .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    m_file->setAutoRemove(false);
    m_file.reset();
    return true;
}

// Rows shorter than the widest get their missing empty fields: a second pass
// over what was written, since the widest row may come last.
bool SheetCsvWriter::PadRows(QString& error) {
    const QFileInfo target(m_path);
    auto padded = std::make_unique<QTemporaryFile>(target.absolutePath() + QLatin1Char('/') +
                                                   target.fileName() + QStringLiteral(".XXXXXX"));
    if (!padded->open() || !m_file->seek(0)) {
        error = QStringLiteral("cannot pad the rows of %1").arg(m_path);
        return false;
    }
    std::vector<char> in(kFlushAt);
    std::string out;
    out.reserve(kFlushAt * 2);
    size_t line = 0;
    bool quoted = false;
    bool cr = false;
    for (;;) {
        const qint64 n = m_file->read(in.data(), static_cast<qint64>(in.size()));
        if (n < 0) {
            error = QStringLiteral("cannot read back %1").arg(m_file->fileName());
            return false;
        }
        if (n == 0)
            break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = in[static_cast<size_t>(i)];
            if (c == '"')
                quoted = !quoted;
            // Our own lines end in CR LF outside quotes; a quoted field's
            // breaks are data.
            if (!quoted && cr && c == '\n' && line < m_rowColumns.size()) {
                out.pop_back();
                const uint32_t have = std::max<uint32_t>(m_rowColumns[line++], 1);
                out.append(m_maxColumns - have, ',');
                out.push_back('\r');
            }
            cr = !quoted && c == '\r';
            out.push_back(c);
        }
        if (out.size() >= kFlushAt) {
            if (padded->write(out.data(), static_cast<qint64>(out.size())) !=
                static_cast<qint64>(out.size())) {
                error = QStringLiteral("cannot write %1").arg(padded->fileName());
                return false;
            }
            out.clear();
        }
    }
    if (padded->write(out.data(), static_cast<qint64>(out.size())) != static_cast<qint64>(out.size()) ||
        !padded->flush()) {
        error = QStringLiteral("cannot write %1").arg(padded->fileName());
        return false;
    }
    m_file = std::move(padded);
    return true;
}
