#include "contacts/csv_reader.h"

#include "core/helpers.h"
#include "platform/encoding.h"

#include <QFile>

#include <sys/stat.h>

#include <cstring>
#include <vector>

namespace {

enum class Utf8Check { Valid, Invalid, ReadFailed };

// Whether the bytes from the file's position to its end are UTF-8, read in
// blocks: a character cut by a block end is checked with the next block.
Utf8Check RestIsUtf8(std::FILE* file) {
    std::vector<char> buffer(kCsvBlockSize + 4);
    size_t carry = 0;
    for (;;) {
        const size_t got = std::fread(buffer.data() + carry, 1, kCsvBlockSize, file);
        if (got == 0) {
            if (std::ferror(file))
                return Utf8Check::ReadFailed;
            return carry == 0 ? Utf8Check::Valid : Utf8Check::Invalid; // cut at the end
        }
        const size_t n = carry + got;
        size_t cut = n;
        for (size_t back = 0; back < 4 && back < n; ++back) {
            const auto c = static_cast<unsigned char>(buffer[n - 1 - back]);
            if ((c & 0xC0) == 0x80)
                continue;
            const size_t start = n - 1 - back;
            const size_t length = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            if (start + length > n)
                cut = start;
            break;
        }
        if (!enc::IsValidUtf8(std::string_view(buffer.data(), cut)))
            return Utf8Check::Invalid;
        carry = n - cut;
        std::memmove(buffer.data(), buffer.data() + cut, carry);
    }
}

bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

} // namespace

QString TrimCsvValue(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && IsBlank(text[from]))
        ++from;
    while (to > from && IsBlank(text[to - 1]))
        --to;
    return from == 0 && to == text.size() ? text : text.mid(from, to - from);
}

CsvRecordReader::CsvRecordReader(QChar separator, size_t blockSize, size_t maxRecord)
    : m_separator(separator), m_blockSize(blockSize > 0 ? blockSize : kCsvBlockSize), m_maxRecord(maxRecord) {
}

CsvRecordReader::~CsvRecordReader() {
    if (m_file)
        std::fclose(m_file);
}

CsvHeaderResult CsvRecordReader::open(const QString& path) {
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!m_file)
        return CsvHeaderResult::CannotOpen;
    struct stat st {};
    if (fstat(fileno(m_file), &st) != 0 || !S_ISREG(st.st_mode))
        return CsvHeaderResult::CannotOpen;
    m_fileSize = st.st_size;

    unsigned char head[3] = {};
    const size_t got = std::fread(head, 1, sizeof head, m_file);
    if (std::ferror(m_file))
        return CsvHeaderResult::CannotOpen;
    if (got >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF)))
        return CsvHeaderResult::Utf16;
    long start = 0;
    if (got == 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF) {
        m_encoding = CsvEncoding::Utf8;
        start = 3;
    } else {
        std::rewind(m_file);
        const Utf8Check check = RestIsUtf8(m_file);
        if (check == Utf8Check::ReadFailed)
            return CsvHeaderResult::CannotOpen;
        m_encoding = check == Utf8Check::Valid ? CsvEncoding::Utf8 : CsvEncoding::Gbk;
    }
    if (std::fseek(m_file, start, SEEK_SET) != 0)
        return CsvHeaderResult::CannotOpen;
    std::clearerr(m_file);

    const QString separator(m_separator);
    m_separatorBytes = m_encoding == CsvEncoding::Utf8 ? separator.toStdString() : enc::ToGbk(separator);
    m_block = std::make_unique<char[]>(m_blockSize);
    m_blockLength = m_pos = 0;
    m_eof = m_readError = false;
    m_bytesRead = start;
    m_blocksRead = 0;
    m_line = m_recordLine = 1;
    m_charLength = m_charExpected = 0;
    resetRecord();
    return CsvHeaderResult::Ok;
}

bool CsvRecordReader::fill() {
    m_pos = m_blockLength = 0;
    if (m_eof || m_readError || !m_file)
        return false;
    const size_t got = std::fread(m_block.get(), 1, m_blockSize, m_file);
    if (got < m_blockSize && std::ferror(m_file)) {
        m_readError = true;
        return false;
    }
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_blockLength = got;
    m_bytesRead += static_cast<qint64>(got);
    ++m_blocksRead;
    return true;
}

void CsvRecordReader::resetRecord() {
    m_record.clear();
    m_recordBytes = 0;
    m_skipping = false;
    m_quoted = false;
    m_quoteInQuoted = false;
    m_fieldStart = true;
}

void CsvRecordReader::append(const char* bytes, size_t n) {
    if (m_recordBytes == 0)
        m_recordLine = m_line;
    m_recordBytes += n;
    if (m_skipping)
        return;
    if (m_recordBytes > m_maxRecord) {
        m_skipping = true;
        std::string().swap(m_record);
        return;
    }
    m_record.append(bytes, n);
}

bool CsvRecordReader::takeChar(const char* bytes, size_t n) {
    const bool single = n == 1;
    const char c = bytes[0];
    if (m_quoted) {
        if (!m_quoteInQuoted) {
            if (single && c == '"')
                m_quoteInQuoted = true;
            else if (single && c == '\n')
                ++m_line;
            append(bytes, n);
            return false;
        }
        m_quoteInQuoted = false;
        if (single && c == '"') { // two quotes: one quote, still inside
            append(bytes, n);
            return false;
        }
        // The quotes ended before this character, which is read as outside.
        m_quoted = false;
        m_fieldStart = false;
    }
    if (single && c == '\n') {
        ++m_line;
        return true;
    }
    if (n == m_separatorBytes.size() && std::memcmp(bytes, m_separatorBytes.data(), n) == 0) {
        m_fieldStart = true;
    } else if (single && c == '"' && m_fieldStart) {
        m_quoted = true;
        m_fieldStart = false;
    } else {
        m_fieldStart = false;
    }
    append(bytes, n);
    return false;
}

CsvRecordReader::Next CsvRecordReader::finishRecord(QStringList& fields) {
    Next result = Next::Record;
    if (m_skipping) {
        result = Next::TooLong;
    } else {
        if (!m_record.empty() && m_record.back() == '\r')
            m_record.pop_back();
        if (m_record.empty()) {
            result = Next::End; // an empty line: the caller reads on
        } else {
            const QString text =
                m_encoding == CsvEncoding::Utf8
                    ? QString::fromUtf8(m_record.data(), static_cast<qsizetype>(m_record.size()))
                    : enc::FromGbk(m_record);
            SplitCsvLine(text, m_separator, fields);
        }
    }
    resetRecord();
    return result;
}

// The length of the run of bytes from m_pos that cannot end a record, touch
// the quoting or be the separator: whole characters other than '"', LF and
// the separator. Most of a file is such runs, and taking them at once keeps
// the byte-by-byte state machine for the few bytes that matter.
size_t CsvRecordReader::plainRun() const {
    const auto* block = reinterpret_cast<const unsigned char*>(m_block.get());
    const bool utf8 = m_encoding == CsvEncoding::Utf8;
    const bool asciiSeparator = m_separatorBytes.size() == 1;
    const auto separator0 = static_cast<unsigned char>(m_separatorBytes.empty() ? 0 : m_separatorBytes[0]);
    size_t i = m_pos;
    while (i < m_blockLength) {
        const unsigned char b = block[i];
        if (b < 0x80) {
            if (b == '"' || b == '\n' || (asciiSeparator && b == separator0))
                break;
            ++i;
            continue;
        }
        size_t n = 0;
        if (utf8)
            n = b < 0xC0 ? 0 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : 0;
        else if (b >= 0x81 && b <= 0xFE)
            n = 2;
        if (n == 0 || i + n > m_blockLength)
            break;
        bool whole = true;
        for (size_t k = 1; k < n && whole; ++k)
            whole = utf8 ? (block[i + k] & 0xC0) == 0x80 : enc::GbkCharLength(b, block[i + k]) == 2;
        if (!whole ||
            (n == m_separatorBytes.size() && std::memcmp(block + i, m_separatorBytes.data(), n) == 0))
            break;
        i += n;
    }
    return i - m_pos;
}

CsvRecordReader::Next CsvRecordReader::next(QStringList& fields) {
    const bool utf8 = m_encoding == CsvEncoding::Utf8;
    for (;;) {
        if (m_pos == m_blockLength && !fill()) {
            if (m_readError || m_bytesRead < m_fileSize)
                return Next::ReadFailed;
            if (m_charLength > 0) { // a character cut by the end of the file
                takeChar(m_char, m_charLength);
                m_charLength = m_charExpected = 0;
            }
            if (m_recordBytes == 0)
                return Next::End;
            const Next last = finishRecord(fields); // the last record has no line end
            if (last != Next::End)
                return last;
            continue;
        }
        while (m_pos < m_blockLength) {
            if (m_charExpected == 0 && !m_quoteInQuoted) {
                if (const size_t run = plainRun(); run > 0) {
                    if (!m_quoted)
                        m_fieldStart = false;
                    append(m_block.get() + m_pos, run);
                    m_pos += run;
                    continue;
                }
            }
            const char* p = m_block.get() + m_pos++;
            const auto b = static_cast<unsigned char>(*p);
            bool ended = false;
            if (m_charExpected > 0) {
                const bool continues = utf8 ? (b & 0xC0) == 0x80 : enc::GbkCharLength(m_char[0], b) == 2;
                if (continues) {
                    m_char[m_charLength++] = static_cast<char>(b);
                    if (m_charLength == m_charExpected) {
                        ended = takeChar(m_char, m_charLength);
                        m_charLength = m_charExpected = 0;
                    }
                    if (!ended)
                        continue;
                } else {
                    // A broken character: what it had is one character, and
                    // this byte starts the next.
                    takeChar(m_char, m_charLength);
                    m_charLength = m_charExpected = 0;
                }
            }
            if (!ended) {
                size_t expected = 1;
                if (utf8)
                    expected = b < 0xC0 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF8 ? 4 : 1;
                else if (b >= 0x81 && b <= 0xFE)
                    expected = 2;
                if (expected > 1) {
                    m_char[0] = static_cast<char>(b);
                    m_charLength = 1;
                    m_charExpected = expected;
                    continue;
                }
                ended = takeChar(p, 1);
            }
            if (ended) {
                const Next result = finishRecord(fields);
                if (result != Next::End)
                    return result;
            }
        }
    }
}

CsvHeaderResult ReadCsvHeader(const QString& path, QStringList& columns, QChar separator) {
    CsvRecordReader reader(separator, kCsvBlockSize, kCsvMaxHeader);
    const CsvHeaderResult opened = reader.open(path);
    if (opened != CsvHeaderResult::Ok)
        return opened;
    QStringList fields;
    if (reader.next(fields) != CsvRecordReader::Next::Record)
        return CsvHeaderResult::Unreadable;
    bool any = false;
    for (QString& field : fields) {
        field = TrimCsvValue(field);
        any = any || !field.isEmpty();
    }
    if (!any)
        return CsvHeaderResult::Unreadable;
    columns = fields;
    return CsvHeaderResult::Ok;
}
