#pragma once
// .xls workbooks (BIFF in a compound file) through FreeXL, which loads a
// workbook whole: files past a bound are refused before it sees them.
#include "contacts/sheet_csv.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class XlsWorkbook : public WorkbookReader {
public:
    XlsWorkbook() = default;
    ~XlsWorkbook() override = default;
    XlsWorkbook(const XlsWorkbook&) = delete;
    XlsWorkbook& operator=(const XlsWorkbook&) = delete;

    // Reads the sheet names. False with `error` for a file that is too
    // large, encrypted (an encrypted .xlsx is a compound file too) or that
    // FreeXL cannot read.
    bool Open(const QString& path, QString& error);

    QStringList SheetNames() const override { return m_names; }
    bool WriteSheet(int index, SheetCsvWriter& out, const Progress& progress, QString& error) override;

private:
    QByteArray m_path;
    QStringList m_names;
};

// Whether a compound file holds the streams of an encrypted Office document
// ("EncryptionInfo", "EncryptedPackage") in its directory.
bool IsEncryptedCompoundFile(const QString& path);
