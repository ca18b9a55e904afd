#pragma once
// What the contact lists (the pane, the picker, the SMS composer's field
// names) share: the visible fields as list columns, the sort states and the
// list statements of the contact pane.
#include "core/database.h"
#include "core/row_source.h"

#include <QString>
#include <QStringList>

#include <vector>

// One visible field: a list column.
struct VisibleField {
    int fieldId = 0;
    QString name;        // display name
    QString nameOfValue; // ContactList column
    int indexField = 0;
};

// The process-wide visible fields (fieldDisplay rows with isVisible=1 AND
// inUse=1), in list-column order: ascending indexField. Fields whose column
// is not a column of ContactList are left out, so every column name here
// may enter SQL.
class VisibleFieldRegistry {
public:
    // Reads the fields again; the owners call it at start and after the
    // field dialogs ended with 1003. False (logged, the list then holds the
    // fields read until the failure) when the query failed.
    static bool Rebuild(sqlite3* db = g_pDB);
    static const std::vector<VisibleField>& Fields();
    static int Count() { return static_cast<int>(Fields().size()); }
    static QStringList DisplayNames();
    static QStringList ColumnNames();
    // The index of the field with this display name; -1 when none.
    static int IndexOfName(const QString& displayName);
    // The index of the field with this column name (case-insensitive); -1.
    static int IndexOfColumn(const QString& column);

    // The number of rows of the pane's current list, for the readers of the
    // published lists.
    static int ListRowCount();
    static void SetListRowCount(int rows);
};

// A list's sort: the column clicked and the direction last applied (1
// ascending, -1 descending, 0 the default order), packed as
// (direction << 16) | column, and kept with the column's name so two lists
// whose field columns start at different list columns never flip each
// other's order.
class SortState {
public:
    enum class Kind { Normal, Duplicates };

    int Column() const { return m_column; }
    int Direction() const { return m_direction; }
    const QString& ColumnName() const { return m_columnName; }
    int Packed() const { return (m_direction << 16) | (m_column & 0xFFFF); }

    // Back to the default order: no column, direction 0.
    void Reset();
    // A click on the list column `column` showing `columnName`: the ORDER
    // BY clause to use (ending in ", rowid") and the new state. A different
    // column sorts ascending; the same column again flips the direction.
    QString Click(int column, const QString& columnName, Kind kind = Kind::Normal);

    // The process-wide states of the contact pane.
    static SortState& Pane(Kind kind);

private:
    int m_column = -1;
    int m_direction = 0;
    QString m_columnName;
};

// The pane's statements for one query.
struct ContactListQuery {
    QString listSql;      // with its ORDER BY, no LIMIT; the select list ends in rowid
    QString countSql;     // the row count
    QString columns;      // "perNO,displayIndex,<fields>,rowid"
    int mobileColumn = 0; // 1-based position of mobileNum among the fields; 0 when not shown
    RowOrder order = RowOrder::Fixed;
};

// The default orders.
inline constexpr const char* kDefaultContactOrder = " ORDER BY displayIndex, rowid";
inline constexpr const char* kDuplicatesContactOrder = " ORDER BY mobileNum, rowid";

// Builds the pane's statements: the contacts of `groupId` (all contacts
// when groupId <= 0), only duplicated numbers with `duplicates`, ordered by
// `orderBy` (one of the default orders or SortState::Click's clause).
// `fields` are the list columns (VisibleFieldRegistry::Fields()).
ContactListQuery BuildContactListQuery(int groupId, bool duplicates, const QString& orderBy,
                                       const std::vector<VisibleField>& fields);
