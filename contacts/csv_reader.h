#pragma once
// Reading the CSV and text files of the contact import.
#include <QChar>
#include <QString>
#include <QStringList>

enum class CsvHeaderResult {
    Ok,
    CannotOpen, // the file cannot be opened or read
    Utf16,      // a UTF-16 file, which the import refuses
    Unreadable, // no header record could be read
};

// The column names of the file's first record, split by `separator` in the
// file's encoding (quotes honoured). `columns` is replaced only on Ok.
CsvHeaderResult ReadCsvHeader(const QString& path, QStringList& columns, QChar separator = u',');
