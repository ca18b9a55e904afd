#pragma once
// Comma-separated text files in code page 936, the encoding the spreadsheet
// programs of the users' systems open without asking. Lines end in "\n".
// A cell may not break its row: "," becomes the full-width "，" and a line
// break (CR LF, a lone CR or LF) becomes one blank. Written as rows come, so
// a long list never sits in memory.
#include <QString>
#include <QStringList>

#include <cstdio>

class CsvWriter {
public:
    // Opens (truncates) the file; Ok() tells whether that worked.
    explicit CsvWriter(const QString& path);
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    bool Ok() const { return m_file != nullptr && !m_failed; }

    // One row of cells, each cleaned with Cell(), joined by ",".
    bool AddRow(const QStringList& cells);
    // A line as it stands (the caller cleaned its cells), "\n" added.
    bool AddLine(const QString& line);
    // Flushes and closes. False when anything failed; the partial file is
    // then removed, as it is no export.
    bool Close();

    const QString& ErrorText() const { return m_error; }

    // A cell's text as a row holds it: "," → "，", a line break → " ".
    static QString Cell(const QString& text);

private:
    bool Write(const std::string& bytes);

    QString m_path;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    bool m_closed = false;
    QString m_error;
};
