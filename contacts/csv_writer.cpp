#include "contacts/csv_writer.h"

#include "platform/encoding.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

CsvWriter::CsvWriter(const QString& path, CsvOptions options) : m_path(path), m_options(options) {
    const QByteArray file = QFile::encodeName(path);
    m_file = std::fopen(file.constData(), "wb");
    if (!m_file) {
        m_failed = true;
        m_error = QStringLiteral("open: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
}

CsvWriter::~CsvWriter() {
    if (!m_closed)
        Close();
}

QString CsvWriter::Cell(const QString& text) {
    QString cell = text;
    cell.replace(QLatin1String("\r\n"), QLatin1String(" "));
    cell.replace(QLatin1Char('\r'), QLatin1Char(' '));
    cell.replace(QLatin1Char('\n'), QLatin1Char(' '));
    cell.replace(QLatin1Char(','), QChar(0xFF0C));
    return cell;
}

QString CsvWriter::QuotedCell(const QString& text) {
    const bool quote = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
               c == QLatin1Char('\n');
    });
    if (!quote)
        return text;
    QString cell = text;
    cell.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + cell + QLatin1Char('"');
}

bool CsvWriter::Write(const std::string& bytes) {
    if (!m_file || m_failed || m_closed)
        return false;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_failed = true;
        m_error = QStringLiteral("write: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
}

bool CsvWriter::AddRow(const QStringList& cells) {
    QString line;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        if (i)
            line += QLatin1Char(',');
        line += m_options.quoteCells ? QuotedCell(cells[i]) : Cell(cells[i]);
    }
    return AddLine(line);
}

bool CsvWriter::AddLine(const QString& line) {
    std::string bytes = enc::ToGbk(line);
    bytes += m_options.crlf ? "\r\n" : "\n";
    return Write(bytes);
}

bool CsvWriter::Close() {
    if (m_closed)
        return !m_failed;
    m_closed = true;
    if (m_file) {
        if (std::fclose(m_file) != 0 && !m_failed) {
            m_failed = true;
            m_error = QStringLiteral("close: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        m_file = nullptr;
        if (m_failed)
            QFile::remove(m_path);
    }
    return !m_failed;
}
