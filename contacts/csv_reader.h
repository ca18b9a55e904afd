#pragma once
// Reading the CSV and text files of the contact import.
//
// A file's encoding is decided once, over the whole file: a UTF-8 BOM means
// UTF-8, a UTF-16 BOM is refused, a file that is valid UTF-8 throughout is
// UTF-8, anything else code page 936 (bad bytes become U+FFFD). Records end
// at CR LF or LF; a field in double quotes may hold separators and line
// breaks, and two quotes inside it stand for one (as SplitCsvLine reads a
// line). The file is read in blocks, so memory does not grow with it.
#include <QChar>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

enum class CsvHeaderResult {
    Ok,
    CannotOpen, // the file cannot be opened or read
    Utf16,      // a UTF-16 file, which the import refuses
    Unreadable, // no header record could be read
};

// The column names of the file's first record, split by `separator` in the
// file's encoding (quotes honoured). `columns` is replaced only on Ok.
CsvHeaderResult ReadCsvHeader(const QString& path, QStringList& columns, QChar separator = u',');

// `text` without the blanks, tabs, CR and LF around it.
QString TrimCsvValue(const QString& text);

inline constexpr size_t kCsvBlockSize = 1024 * 1024;
// A longer record is no contact: it is skipped as one failed line.
inline constexpr size_t kCsvMaxRecord = 1024 * 1024;
// The header is looked for in the first 64 KiB.
inline constexpr size_t kCsvMaxHeader = 64 * 1024;

enum class CsvEncoding { Utf8, Gbk };

// The records of one file, one after the other. The file stays open from
// open() to the end, so a file cut short while it is read is noticed.
class CsvRecordReader {
public:
    // `blockSize` is the size of each read (tests make it small to put records
    // across block ends); a record of more than `maxRecord` bytes is skipped.
    explicit CsvRecordReader(QChar separator = u',', size_t blockSize = kCsvBlockSize,
                             size_t maxRecord = kCsvMaxRecord);
    ~CsvRecordReader();
    CsvRecordReader(const CsvRecordReader&) = delete;
    CsvRecordReader& operator=(const CsvRecordReader&) = delete;

    // Opens the file and decides its encoding: Ok, CannotOpen or Utf16.
    CsvHeaderResult open(const QString& path);

    enum class Next {
        Record,     // `fields` holds the next record
        TooLong,    // a record over the limit was skipped
        End,        // the file was read to its end
        ReadFailed, // a read failed, or the file ended before the size it had at open()
    };
    // The next record that holds anything (empty lines are passed over).
    Next next(QStringList& fields);

    // The line (from 1) on which the last record or skipped record began.
    qint64 recordLine() const { return m_recordLine; }
    // Bytes read so far and the file's size at open(), for progress.
    qint64 bytesRead() const { return m_bytesRead; }
    qint64 fileSize() const { return m_fileSize; }
    // Counts the reads, so a caller can act once per block.
    qint64 blocksRead() const { return m_blocksRead; }
    CsvEncoding encoding() const { return m_encoding; }

private:
    bool fill();
    // Takes one whole character; true when it ended the record.
    bool takeChar(const char* bytes, size_t n);
    void append(const char* bytes, size_t n);
    size_t plainRun() const;
    Next finishRecord(QStringList& fields);
    void resetRecord();

    QChar m_separator;
    std::string m_separatorBytes; // in the file's encoding
    size_t m_blockSize;
    size_t m_maxRecord;
    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_block;
    size_t m_blockLength = 0;
    size_t m_pos = 0;
    bool m_eof = false;
    bool m_readError = false;
    CsvEncoding m_encoding = CsvEncoding::Utf8;
    qint64 m_fileSize = 0;
    qint64 m_bytesRead = 0;
    qint64 m_blocksRead = 0;
    qint64 m_line = 1;
    qint64 m_recordLine = 1;

    // The record being read.
    std::string m_record;
    size_t m_recordBytes = 0; // its length, also of a record too long to keep
    bool m_skipping = false;
    bool m_quoted = false;
    bool m_quoteInQuoted = false; // a '"' inside quotes: the end of the quotes, or the first of two
    bool m_fieldStart = true;
    // A character whose bytes are not all read yet.
    char m_char[4] = {};
    size_t m_charLength = 0;
    size_t m_charExpected = 0;
};
