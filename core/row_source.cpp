#include "core/row_source.h"

#include "core/sql.h"

#include <QRegularExpression>

#include <algorithm>
#include <climits>

namespace {

int FromPosition(const QString& statement) {
    static const QRegularExpression from(QStringLiteral("\\bFROM\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = from.match(statement);
    return m.hasMatch() ? static_cast<int>(m.capturedStart()) : -1;
}

std::string RangeClause(const RowSource::Range& range) {
    if (range.offset <= 0 && range.limit < 0)
        return {};
    return " LIMIT " + std::to_string(range.limit) + " OFFSET " +
           std::to_string(std::max<qint64>(0, range.offset));
}

} // namespace

QString RowSource::FromClause(const QString& statement) {
    const int at = FromPosition(statement);
    return at < 0 ? QString() : statement.mid(at);
}

QString RowSource::SelectList(const QString& statement) {
    const int at = FromPosition(statement);
    if (at < 0)
        return {};
    QString head = statement.left(at).trimmed();
    if (head.startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
        head = head.mid(6);
    return head.trimmed();
}

void RowSource::Close() {
    std::lock_guard lock(m_mutex);
    m_db = nullptr;
    m_statement.clear();
    m_count = 0;
    m_columns = 0;
    m_range = {};
    m_rowids.clear();
    m_rowids.shrink_to_fit();
    m_byRowid.clear();
    m_byRowidRange.clear();
    m_cache.clear();
}

bool RowSource::Open(sqlite3* db, const QString& statement, RowOrder order, const QString& countStatement,
                     const Range& range, const QString& passColumns, const PassVisitor& visit) {
    Close();
    std::lock_guard lock(m_mutex);
    m_db = db;
    m_statement = statement;
    m_order = order;
    m_range = range;
    const QString from = FromClause(statement);
    if (from.isEmpty())
        return false;

    if (order == RowOrder::Paged) {
        if (countStatement.isEmpty())
            return false;
        SqlStatement count(db, countStatement.toStdString());
        if (!count.ok())
            return false;
        const int rc = count.step();
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return false;
        qint64 total = rc == SQLITE_ROW ? count.int64(0) : 0;
        total = std::max<qint64>(0, total - std::max<qint64>(0, range.offset));
        if (range.limit >= 0)
            total = std::min(total, range.limit);
        m_count = static_cast<int>(std::min<qint64>(total, INT_MAX));
        return true;
    }

    // The table after FROM names where the rows are read by rowid.
    static const QRegularExpression tableName(QStringLiteral("^FROM\\s+([A-Za-z_][A-Za-z0-9_]*)"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch table = tableName.match(from);
    if (!table.hasMatch())
        return false;
    m_byRowid = QStringLiteral("SELECT %1 FROM %2 WHERE rowid=?")
                    .arg(SelectList(statement), table.captured(1))
                    .toStdString();
    m_byRowidRange = QStringLiteral("SELECT %1,rowid FROM %2 WHERE rowid BETWEEN ? AND ? ORDER BY rowid")
                         .arg(SelectList(statement), table.captured(1))
                         .toStdString();

    QString pass = QStringLiteral("SELECT rowid");
    if (!passColumns.isEmpty())
        pass += QLatin1Char(',') + passColumns;
    SqlStatement st(db, (pass + QLatin1Char(' ') + from).toStdString() + RangeClause(range));
    if (!st.ok())
        return false;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        if (visit)
            visit(static_cast<int>(m_rowids.size()), st.int64(0), st);
        m_rowids.push_back(st.int64(0));
    }
    if (rc != SQLITE_DONE) {
        m_rowids.clear();
        return false;
    }
    m_count = static_cast<int>(m_rowids.size());
    return true;
}

size_t RowSource::CachedRows() const {
    std::lock_guard lock(m_mutex);
    return m_cache.size();
}

bool RowSource::IsCached(int row) const {
    std::lock_guard lock(m_mutex);
    return m_cache.count(row) != 0;
}

void RowSource::Load(int row) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= m_count || m_cache.count(row))
        return;
    LoadLocked(row);
}

void RowSource::Hint(int first, int last) {
    std::lock_guard lock(m_mutex);
    first = std::max(0, first);
    last = std::min(last, m_count - 1);
    if (first > last)
        return;
    if (!m_cache.count(first))
        LoadLocked(first);
    if (!m_cache.count(last))
        LoadLocked(last);
}

void RowSource::StoreRow(int row, SqlStatement& st, int columns) {
    if (m_cache.count(row))
        return;
    if (columns < 0)
        columns = st.columnCount();
    m_columns = columns;
    RECORD_CACHE& entry = m_cache[row];
    entry.values.reserve(columns);
    sqlite3_stmt* h = st.handle();
    for (int c = 0; c < columns; ++c) {
        if (sqlite3_column_type(h, c) == SQLITE_NULL) {
            entry.values.emplace_back(std::nullopt);
        } else {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(h, c));
            entry.values.emplace_back(std::string(text ? text : "", sqlite3_column_bytes(h, c)));
        }
    }
}

void RowSource::LoadFixedWindow(int start, int end) {
    // The rows still missing, by rowid.
    std::vector<std::pair<qint64, int>> wanted;
    wanted.reserve(end - start);
    for (int r = start; r < end; ++r)
        if (!m_cache.count(r))
            wanted.emplace_back(m_rowids[r], r);
    if (wanted.empty())
        return;
    std::sort(wanted.begin(), wanted.end());
    const qint64 low = wanted.front().first;
    const qint64 high = wanted.back().first;

    // Lists in (nearly) insertion order, such as the numbers of one send or
    // records by time, keep their rowids close together: one sequential read
    // of the span is then far cheaper than a lookup per row. A sparse window
    // (a list sorted by text) is read row by row.
    const qint64 span = high - low + 1;
    if (wanted.size() >= 64 && span <= static_cast<qint64>(wanted.size()) * 4) {
        SqlStatement st(m_db, m_byRowidRange);
        if (st.ok()) {
            st.bind(1, static_cast<int64_t>(low)).bind(2, static_cast<int64_t>(high));
            const int columns = st.columnCount() - 1; // the rowid read last is not a cell
            auto next = wanted.begin();
            while (next != wanted.end() && st.step() == SQLITE_ROW) {
                const qint64 rowid = st.int64(columns);
                while (next != wanted.end() && next->first < rowid)
                    ++next;
                // A rowid may stand in the list more than once (a join);
                // every row that shows it gets the cells.
                for (auto it = next; it != wanted.end() && it->first == rowid; ++it)
                    StoreRow(it->second, st, columns);
            }
            return;
        }
    }

    SqlStatement st(m_db, m_byRowid);
    if (!st.ok())
        return;
    for (const auto& [rowid, r] : wanted) {
        st.reset();
        st.bind(1, static_cast<int64_t>(rowid));
        if (st.step() == SQLITE_ROW)
            StoreRow(r, st);
    }
}

void RowSource::LoadLocked(int row) {
    if (!m_db || m_count == 0)
        return;
    const int start = std::max(0, row - kWindowLead);
    const int end = std::min(m_count, start + kWindowRows); // exclusive
    // Past its bound the cache keeps only the rows of the new window, so
    // memory stays at one window and close jumps do not read rows again.
    if (static_cast<int>(m_cache.size()) > m_bound)
        std::erase_if(m_cache, [&](const auto& entry) { return entry.first < start || entry.first >= end; });

    if (m_order == RowOrder::Fixed) {
        LoadFixedWindow(start, end);
        return;
    }

    const qint64 offset = std::max<qint64>(0, m_range.offset) + start;
    const std::string sql = m_statement.toStdString() + " LIMIT " + std::to_string(end - start) + " OFFSET " +
                            std::to_string(offset);
    SqlStatement st(m_db, sql);
    if (!st.ok())
        return;
    int r = start;
    while (r < end && st.step() == SQLITE_ROW)
        StoreRow(r++, st);
}

const RECORD_CACHE* RowSource::EnsureLocked(int row) {
    auto it = m_cache.find(row);
    if (it == m_cache.end()) {
        LoadLocked(row);
        it = m_cache.find(row);
        if (it == m_cache.end())
            return nullptr;
    }
    return &it->second;
}

std::optional<QString> RowSource::Cell(int row, int column) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= m_count)
        return std::nullopt;
    const RECORD_CACHE* entry = EnsureLocked(row);
    if (!entry || column < 0 || column >= entry->Count() || !entry->values[column])
        return std::nullopt;
    return QString::fromStdString(*entry->values[column]);
}

QString RowSource::CellText(int row, int column) {
    return Cell(row, column).value_or(QString());
}

qint64 RowSource::Rowid(int row) {
    std::lock_guard lock(m_mutex);
    if (row < 0 || row >= m_count)
        return 0;
    if (m_order == RowOrder::Fixed)
        return m_rowids[row];
    const RECORD_CACHE* entry = EnsureLocked(row);
    if (!entry || entry->values.empty() || !entry->values.back())
        return 0;
    return QByteArray::fromStdString(*entry->values.back()).toLongLong();
}

bool RowSource::ForEachRowid(int first, int last, const std::function<void(int, qint64)>& visit) {
    std::lock_guard lock(m_mutex);
    first = std::max(0, first);
    last = std::min(last, m_count - 1);
    if (first > last)
        return true;
    if (m_order == RowOrder::Fixed) {
        for (int r = first; r <= last; ++r)
            visit(r, m_rowids[r]);
        return true;
    }
    SqlStatement st(m_db, ("SELECT rowid " + FromClause(m_statement)).toStdString() + " LIMIT " +
                              std::to_string(last - first + 1) + " OFFSET " +
                              std::to_string(std::max<qint64>(0, m_range.offset) + first));
    if (!st.ok())
        return false;
    int r = first;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        visit(r++, st.int64(0));
    return rc == SQLITE_DONE;
}

bool RowSource::SetCell(int row, int column, const std::optional<std::string>& value) {
    std::lock_guard lock(m_mutex);
    const auto it = m_cache.find(row);
    if (it == m_cache.end() || column < 0 || column >= it->second.Count())
        return false;
    it->second.values[column] = value;
    return true;
}

void RowSource::DropCache() {
    std::lock_guard lock(m_mutex);
    m_cache.clear();
}
