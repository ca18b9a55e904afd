#include "contacts/import_mapping.h"

#include <QFileInfo>

QString ImportFileExtension(const QString& path) {
    return QFileInfo(path).suffix().toUpper();
}

ImportFileKind ImportFileKindOf(const QString& extension) {
    const QString ext = extension.toUpper();
    if (ext == QLatin1String("XLS") || ext == QLatin1String("XLSX"))
        return ImportFileKind::Spreadsheet;
    if (ext == QLatin1String("CSV"))
        return ImportFileKind::Csv;
    if (ext == QLatin1String("TXT") || ext == QLatin1String("HTM") || ext == QLatin1String("HTML"))
        return ImportFileKind::Numbers;
    return ImportFileKind::Other;
}

QStringList OfferedColumns(const QStringList& columns, const ColumnMap& mapping, unsigned field) {
    const auto own = mapping.find(field);
    const QString current = own != mapping.end() ? own->second : QString();
    QStringList offered;
    if (!current.isEmpty())
        offered << current;
    for (const QString& column : columns) {
        if (column.isEmpty() || offered.contains(column))
            continue;
        bool taken = false;
        for (const auto& [id, chosen] : mapping)
            if (id != field && chosen == column) {
                taken = true;
                break;
            }
        if (!taken)
            offered << column;
    }
    return offered;
}
