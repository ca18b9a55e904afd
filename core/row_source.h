#pragma once
// The rows of an owner-data list, read from SQLite a window at a time.
//
// The owner hands over one statement ("SELECT <columns> FROM <table> ...
// ORDER BY ..." without LIMIT) and asks for cells by row number; the source
// loads the window of kWindowRows rows starting kWindowLead rows before the
// row asked for. The cache is emptied before a load once it holds more than
// its bound, so memory follows the window, not the length of the list.
//
// Two ways to reach a window:
//   - Paged: "<statement> LIMIT n OFFSET k". Only for an order an index
//     serves; otherwise every window would sort the whole list again.
//   - Fixed: the list's order is read once as the rowids in list order
//     ("SELECT rowid FROM ..."), and windows read their rows by rowid. One
//     sort per query, 8 bytes a row.
// A row range (rows offset..offset+limit-1 of the statement's result) can
// restrict either way.
#include <QString>
#include <QtGlobal>

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
class SqlStatement;

// One cached row: a copy of every column as UTF-8, nullopt for SQL NULL.
struct RECORD_CACHE {
    std::vector<std::optional<std::string>> values;
    int Count() const { return static_cast<int>(values.size()); }
};

// Rows offset..offset+limit-1 of a statement's result.
struct RowRange {
    qint64 offset = 0;
    qint64 limit = -1; // -1: to the end
};

enum class RowOrder {
    Paged, // an index serves the order: windows with LIMIT/OFFSET
    Fixed, // the order is fixed once as rowids; windows read by rowid
};

class RowSource {
public:
    static constexpr int kWindowRows = 4000;
    static constexpr int kWindowLead = 2000;
    static constexpr int kDefaultBound = 1000;

    explicit RowSource(int cacheBound = kDefaultBound) : m_bound(cacheBound) {}

    // Called once per row of the order pass of a Fixed list, in list order:
    // the row number, its rowid and the pass statement, whose columns after
    // the rowid are `passColumns`.
    using PassVisitor = std::function<void(int row, qint64 rowid, SqlStatement& st)>;

    using Range = RowRange;

    // Opens a list; any earlier list and its cache are dropped. A Paged list
    // takes its row count from the first column of `countStatement`'s first
    // row (capped by the range); a Fixed list counts its order pass and then
    // needs no count statement. `passColumns` (Fixed only) are read by the
    // order pass after the rowid and handed to `visit` for each row. False
    // (logged, the list empty) when a statement failed.
    bool Open(sqlite3* db, const QString& statement, RowOrder order, const QString& countStatement = {},
              const Range& range = {}, const QString& passColumns = {}, const PassVisitor& visit = {});
    // Forgets the list.
    void Close();

    const QString& Statement() const { return m_statement; }
    RowOrder Order() const { return m_order; }
    int Count() const { return m_count; }
    // The number of columns of the statement's select list (0 before a load).
    int ColumnCount() const { return m_columns; }

    // Loads the window around `row` unless `row` is cached already.
    void Load(int row);
    // The rows first..last are about to be shown: loads when either end is
    // not cached.
    void Hint(int first, int last);
    bool IsCached(int row) const;

    // A cell as text (loaded on demand); nullopt for a row outside the list,
    // a column outside the select list or SQL NULL.
    std::optional<QString> Cell(int row, int column);
    // The same, "" for nullopt.
    QString CellText(int row, int column);
    // The row's rowid: from the order list (Fixed) or the last column of the
    // select list (Paged: the statement must end its select list with rowid).
    // 0 when unknown.
    qint64 Rowid(int row);
    // Calls `visit` with the rowid of every row first..last (clipped to the
    // list), in list order, without filling the cache. False when the query
    // failed.
    bool ForEachRowid(int first, int last, const std::function<void(int row, qint64 rowid)>& visit);
    // Changes a cached cell (for an owner that updated the row itself).
    // False when the row is not cached or the column does not exist.
    bool SetCell(int row, int column, const std::optional<std::string>& value);

    // Empties the cache (the order list stays).
    void DropCache();

    // Counters for tests and measurements.
    size_t CachedRows() const;
    size_t OrderRows() const { return m_order == RowOrder::Fixed ? m_rowids.size() : 0; }
    int CacheBound() const { return m_bound; }

    // The lock that guards the cache; the owner holds it while it reads or
    // changes cached rows in several steps.
    std::recursive_mutex& Mutex() const { return m_mutex; }

    // The part of a statement from its first "FROM" (any case) on; empty when
    // it has none.
    static QString FromClause(const QString& statement);
    // The select list between "SELECT" and the first "FROM".
    static QString SelectList(const QString& statement);

private:
    void LoadLocked(int row);
    void LoadFixedWindow(int start, int end);
    // Copies the first `columns` columns of the current row (-1: all).
    void StoreRow(int row, SqlStatement& st, int columns = -1);
    const RECORD_CACHE* EnsureLocked(int row);

    sqlite3* m_db = nullptr;
    QString m_statement;
    RowOrder m_order = RowOrder::Paged;
    Range m_range;
    int m_count = 0;
    int m_columns = 0;
    int m_bound;
    std::vector<qint64> m_rowids; // Fixed: the rowids in list order
    std::string m_byRowid;        // Fixed: the statement that reads one row by rowid
    std::string m_byRowidRange;   // Fixed: the same for a span of rowids, rowid last
    std::unordered_map<int, RECORD_CACHE> m_cache;
    mutable std::recursive_mutex m_mutex;
};
