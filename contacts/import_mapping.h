#pragma once
// The choices of the contact import's first two steps, without a window:
// what kind of file the user named, and which source columns a field's list
// may offer while other fields hold theirs.
#include <QString>
#include <QStringList>

#include <map>

// The extension of the file's own name (a dot in a folder name does not
// count), upper-cased, without the dot; "" when the name has none.
QString ImportFileExtension(const QString& path);

enum class ImportFileKind {
    Spreadsheet, // XLS, XLSX: a sheet is converted to CSV first
    Csv,         // CSV: read as it is
    Numbers,     // TXT, HTM, HTML: only the mobile numbers are taken
    Other,       // anything else
};
ImportFileKind ImportFileKindOf(const QString& extension);

// The field id -> column choices of the mapping panel.
using ColumnMap = std::map<unsigned, QString>;

// What the list of field `field` offers: its own column first (when it has
// one), then every other column of the source, in source order, that no
// other field holds. Each name once; unnamed columns are not offered, since
// an empty entry would read as "no column".
QStringList OfferedColumns(const QStringList& columns, const ColumnMap& mapping, unsigned field);
