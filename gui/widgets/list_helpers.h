#pragma once
// Helpers of the number lists and field boxes of the composers and list
// dialogs: lines into a list, a list column as one text, repeated rows
// removed, the visible contact fields in a combo box, the selected rows.
#include "core/database.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QAbstractItemView;
class QComboBox;
class QTableWidget;

// The selected rows of a list as first..last ranges in row order, pieces
// that overlap or touch merged into one.
std::vector<std::pair<int, int>> SelectedRowRanges(const QAbstractItemView* list);

// Splits `text` on CR LF (SplitString: trimmed, empty pieces between two
// line ends kept) and appends each piece as a new row after the existing
// ones, in column 0. When `names` is given it must hold one entry per piece,
// else nothing is added and "" is returned; entry i becomes column 1 of the
// i-th new row. The list gets the columns it needs. Returns the added pieces,
// each followed by ",".
QString AddLinesToListCtrl(const QString& text, QTableWidget* list, const QStringList* names = nullptr);

// The column-0 texts of all rows joined with "," (no trailing comma).
QString JoinListColumn(const QTableWidget* list);

// Removes rows whose column-0 text repeats, keeping for each text its last
// row (A, B, A leaves B, A).
void RemoveDuplicateRows(QTableWidget* list);

// Adds the display names of the contact fields in use and visible, in display
// order, to the combo box. `condition` is a fragment of our own code put into
// the WHERE clause ("AND fieldID<>3"); a failure is logged.
void LoadVisibleFields(QComboBox* combo, const QString& condition, sqlite3* db = g_pDB);
