#include "contacts/contact_selection.h"

#include <QRegularExpression>

void ContactSelection::Clear() {
    m_rowids.clear();
    m_allExcept = false;
}

void ContactSelection::TickAll() {
    m_rowids.clear();
    m_allExcept = true;
}

void ContactSelection::Tick(qint64 rowid, bool ticked) {
    // With "all except" the set holds the unticked rows.
    if (ticked != m_allExcept)
        m_rowids.insert(rowid);
    else
        m_rowids.erase(rowid);
}

bool ContactSelection::IsTicked(qint64 rowid) const { return m_allExcept != m_rowids.contains(rowid); }

QString ContactSelection::FromClause(const QString& statement) {
    static const QRegularExpression from(QStringLiteral("\\bfrom\\b"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(statement);
    return match.hasMatch() ? statement.mid(match.capturedStart()) : QString();
}

bool ContactSelection::ForEachTicked(sqlite3* db, const QString& columns,
                                     const std::function<bool(SqlStatement&, qint64)>& row) const {
    const QString from = FromClause(m_statement);
    if (from.isEmpty())
        return false;
    if (IsEmpty())
        return true;
    SqlStatement st(db, QStringLiteral("SELECT %1,rowid %2").arg(columns, from).toStdString());
    if (!st.ok())
        return false;
    const int rowidColumn = st.columnCount() - 1;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const qint64 rowid = st.int64(rowidColumn);
        if (IsTicked(rowid) && !row(st, rowid))
            return true;
    }
    return rc == SQLITE_DONE;
}
