#include "contacts/contact_export.h"

#include "contacts/csv_writer.h"
#include "contacts/xlsx_writer.h"
#include "core/log.h"
#include "core/sql.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Where the rows go: one face for both formats.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual bool Add(const QStringList& cells) = 0;
    // False when the file is not complete.
    virtual bool Close() = 0;
    virtual QString Error() const = 0;
};

class CsvSink final : public RowSink {
public:
    CsvSink(const QString& path, const QStringList& header)
        : m_writer(path, CsvOptions{.crlf = true, .quoteCells = true}) {
        m_writer.AddRow(header);
    }
    bool Add(const QStringList& cells) override { return m_writer.AddRow(cells); }
    bool Close() override { return m_writer.Close(); }
    QString Error() const override { return m_writer.ErrorText(); }

private:
    CsvWriter m_writer;
};

class XlsxSink final : public RowSink {
public:
    XlsxSink(const QString& path, const QStringList& header) : m_writer(path), m_header(header) {
        // The workbook is written only when it closes; a folder that takes
        // no file should fail now, not after a million rows.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            m_failed = true;
            m_error = QStringLiteral("file: %1").arg(probe.errorString());
            return;
        }
        probe.close();
        StartSheet();
    }
    bool Add(const QStringList& cells) override {
        if (m_failed)
            return false;
        if (m_sheetRows >= kExportSheetRows && !StartSheet())
            return false;
        ++m_sheetRows;
        return m_writer.AddRow(cells);
    }
    bool Close() override {
        const bool written = m_writer.Close();
        if (!m_failed && !written)
            m_error = m_writer.ErrorText();
        return written && !m_failed;
    }
    QString Error() const override { return m_failed ? m_error : m_writer.ErrorText(); }

private:
    bool StartSheet() {
        ++m_sheets;
        m_sheetRows = 1;
        return m_writer.AddSheet(QStringLiteral("Sheet%1").arg(m_sheets)) && m_writer.AddRow(m_header);
    }

    XlsxWriter m_writer;
    QStringList m_header;
    int m_sheets = 0;
    int m_sheetRows = 0;
    bool m_failed = false;
    QString m_error;
};

qint64 CountRows(sqlite3* db, const QList<qint64>& groups) {
    SqlStatement count(db, ExportCountSql(groups));
    return count.ok() && count.step() == SQLITE_ROW ? count.int64(0) : 0;
}

} // namespace

std::vector<ExportField> ReadExportFields(sqlite3* db) {
    std::vector<ExportField> fields;
    SqlStatement st(db, "SELECT name,nameOfValue,fieldID FROM fieldDisplay WHERE inUse=1 ORDER BY fieldID");
    int rc = st.ok() ? SQLITE_ROW : st.prepareResult();
    while (st.ok() && (rc = st.step()) == SQLITE_ROW) {
        const std::string column = st.text(1);
        if (column >= std::string("z"))
            continue;
        // The column name goes into the statement as it stands, so it must
        // name a column of ContactList and nothing else.
        if (!IsTableColumn(db, "ContactList", column)) {
            LogWriteString(g_logRun, QStringLiteral("ERROR,导出联系人: 字段%1的列名无效").arg(st.int64(2)));
            continue;
        }
        fields.push_back({st.qtext(0), QString::fromStdString(column)});
    }
    if (rc != SQLITE_DONE)
        LogSqlError(SqlErrorText(db), rc, "查询联系人字段时出错了");
    return fields;
}

std::string ExportCountSql(const QList<qint64>& groups) {
    if (groups.isEmpty())
        return "select count(mobileNum) from contactList";
    std::string ids;
    for (qint64 id : groups) {
        if (!ids.empty())
            ids += ',';
        ids += std::to_string(id);
    }
    return "select count(mobileNum) from contactList where groupID in(" + ids + ")";
}

std::string ExportContactsSql(const std::vector<ExportField>& fields, const QList<qint64>& groups) {
    std::string columns;
    for (const ExportField& f : fields) {
        if (!columns.empty())
            columns += ',';
        columns += f.column.toStdString();
    }
    std::string sql = "SELECT " + columns + " FROM contactList a WHERE 1=1 ";
    if (!groups.isEmpty()) {
        std::string condition;
        for (qint64 id : groups)
            condition += " a.groupID=" + std::to_string(id) + " OR";
        condition.resize(condition.size() - 2);
        sql += " AND (" + condition + ")";
    }
    return sql;
}

ContactExportResult ExportContacts(sqlite3* db, const QString& path, ExportFormat format,
                                   const QList<qint64>& groups, const ContactExportProgress& progress) {
    ContactExportResult result;
    const std::vector<ExportField> fields = ReadExportFields(db);
    QStringList header;
    for (const ExportField& f : fields)
        header << f.name;
    result.total = CountRows(db, groups);

    const QString temporary = path + QStringLiteral(".tmp");
    std::unique_ptr<RowSink> sink;
    if (format == ExportFormat::Csv)
        sink = std::make_unique<CsvSink>(temporary, header);
    else
        sink = std::make_unique<XlsxSink>(temporary, header);

    bool stopped = progress && !progress(0, result.total);
    bool writeFailed = false;
    SqlStatement rows(db, ExportContactsSql(fields, groups));
    int rc = rows.ok() ? SQLITE_ROW : rows.prepareResult();
    const int columns = rows.ok() ? rows.columnCount() : 0;
    QStringList cells;
    cells.reserve(columns);
    while (!stopped && rows.ok() && (rc = rows.step()) == SQLITE_ROW) {
        cells.clear();
        for (int c = 0; c < columns; ++c)
            cells << rows.qtext(c);
        if (!sink->Add(cells)) {
            writeFailed = true;
            break;
        }
        ++result.rows;
        stopped = progress && !progress(result.rows, result.total);
    }
    const bool queryFailed = !stopped && !writeFailed && rc != SQLITE_DONE;
    if (queryFailed) {
        LogWrite(g_logRun, format == ExportFormat::Csv ? "ERROR: 导出时查询联系人出错了" : "出错了");
        result.error = QStringLiteral("query: %1").arg(QString::fromStdString(SqlErrorText(db)));
    }

    const bool written = sink->Close();
    if (!written || writeFailed)
        result.error = sink->Error();
    if (stopped || queryFailed || writeFailed || !written) {
        QFile::remove(temporary);
        result.cancelled = stopped;
        if (!stopped)
            LogWriteString(g_logRun, QStringLiteral("ERROR,导出联系人失败: %1").arg(result.error));
        return result;
    }
    // rename() replaces an earlier file in one step, so the target is always
    // either the old file or the whole new one.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        result.error = QStringLiteral("rename: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        LogWriteString(g_logRun, QStringLiteral("ERROR,导出联系人失败: %1").arg(result.error));
        QFile::remove(temporary);
        return result;
    }
    result.ok = true;
    return result;
}
