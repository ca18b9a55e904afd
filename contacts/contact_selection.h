#pragma once
// Which contacts of a list the user ticked: the list's statement and either
// the ticked rows or "all rows except these". Rows are named by their rowid,
// so a selection survives a re-sort or an update of the rows, and two rows
// that share a perNO stay two rows.
#include "core/database.h"
#include "core/sql.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <unordered_set>

class ContactSelection {
public:
    ContactSelection() = default;
    // `statement`: a ContactList list statement ("SELECT ... FROM ContactList
    // WHERE ... ORDER BY ..., rowid"); it decides the order of the rows.
    explicit ContactSelection(QString statement) : m_statement(std::move(statement)) {}

    const QString& Statement() const { return m_statement; }
    void SetStatement(const QString& statement) { m_statement = statement; }

    // Nothing ticked.
    void Clear();
    // Every row of the statement ticked.
    void TickAll();
    void Tick(qint64 rowid, bool ticked);
    bool IsTicked(qint64 rowid) const;
    // True when no row can be ticked (no rowids, and not "all except").
    bool IsEmpty() const { return !m_allExcept && m_rowids.empty(); }
    bool AllExcept() const { return m_allExcept; }
    // The ticked rowids, or with AllExcept() the unticked ones.
    const std::unordered_set<qint64>& Rowids() const { return m_rowids; }

    // Runs "SELECT <columns>,rowid" followed by the statement from its first
    // "FROM" (any case, the rest of the text unchanged) and calls `row` for
    // each ticked row in list order; the rowid is the last column. `row`
    // returns false to stop. False when the statement has no FROM or the
    // query failed (logged).
    bool ForEachTicked(sqlite3* db, const QString& columns,
                       const std::function<bool(SqlStatement& row, qint64 rowid)>& row) const;

    // The statement from its first "FROM" on; empty when it has none.
    static QString FromClause(const QString& statement);

private:
    QString m_statement;
    std::unordered_set<qint64> m_rowids;
    bool m_allExcept = false;
};
