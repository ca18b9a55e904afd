#pragma once
// Comma-separated text files in code page 936, the encoding the spreadsheet
// programs of the users' systems open without asking. By default lines end
// in "\n" and a cell may not break its row: "," becomes the full-width "，"
// and a line break (CR LF, a lone CR or LF) becomes one blank. Written as
// rows come, so a long list never sits in memory.
#include <QString>
#include <QStringList>

#include <cstdio>

struct CsvOptions {
    // Lines end in CR LF instead of "\n".
    bool crlf = false;
    // RFC 4180 cells: a cell holding ",", '"', CR or LF is written between
    // double quotes with its quotes doubled, every other cell as it stands,
    // so a file read back gives the very texts (instead of Cell()).
    bool quoteCells = false;
};

class CsvWriter {
public:
    // Opens (truncates) the file; Ok() tells whether that worked.
    explicit CsvWriter(const QString& path, CsvOptions options = {});
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    bool Ok() const { return m_file != nullptr && !m_failed; }

    // One row of cells, each cleaned with Cell() (or quoted, with
    // quoteCells), joined by ",".
    bool AddRow(const QStringList& cells);
    // A line as it stands (the caller cleaned its cells), the line end added.
    bool AddLine(const QString& line);
    // Flushes and closes. False when anything failed; the partial file is
    // then removed, as it is no export.
    bool Close();

    const QString& ErrorText() const { return m_error; }

    // A cell's text as a row holds it: "," → "，", a line break → " ".
    static QString Cell(const QString& text);
    // A cell as RFC 4180 writes it: quoted when it holds ",", '"', CR or LF.
    static QString QuotedCell(const QString& text);

private:
    bool Write(const std::string& bytes);

    QString m_path;
    CsvOptions m_options;
    std::FILE* m_file = nullptr;
    bool m_failed = false;
    bool m_closed = false;
    QString m_error;
};
