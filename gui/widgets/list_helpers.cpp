#include "gui/widgets/list_helpers.h"

#include "contacts/contact_fields.h"
#include "core/helpers.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QSet>
#include <QTableWidget>

#include <algorithm>

namespace {

QString CellText(const QTableWidget* list, int row) {
    const QTableWidgetItem* item = list->item(row, 0);
    return item ? item->text() : QString();
}

} // namespace

QString AddLinesToListCtrl(const QString& text, QTableWidget* list, const QStringList* names) {
    if (!list)
        return {};
    QStringList pieces;
    SplitString(text, QStringLiteral("\r\n"), pieces);
    if (pieces.isEmpty() || (names && names->size() != pieces.size()))
        return {};
    // A list without its columns would silently drop the cells.
    const int columnsNeeded = names ? 2 : 1;
    if (list->columnCount() < columnsNeeded)
        list->setColumnCount(columnsNeeded);
    QString added;
    const int first = list->rowCount();
    list->setRowCount(first + static_cast<int>(pieces.size()));
    for (int i = 0; i < pieces.size(); ++i) {
        list->setItem(first + i, 0, new QTableWidgetItem(pieces[i]));
        if (names)
            list->setItem(first + i, 1, new QTableWidgetItem(names->at(i)));
        added += pieces[i] + QLatin1Char(',');
    }
    return added;
}

QString JoinListColumn(const QTableWidget* list) {
    if (!list)
        return {};
    QStringList texts;
    texts.reserve(list->rowCount());
    for (int row = 0; row < list->rowCount(); ++row)
        texts << CellText(list, row);
    return texts.join(QLatin1Char(','));
}

void RemoveDuplicateRows(QTableWidget* list) {
    if (!list)
        return;
    // From the bottom up, a text seen already belongs to a later row, which
    // is the one kept.
    QSet<QString> seen;
    for (int row = list->rowCount() - 1; row >= 0; --row) {
        const QString text = CellText(list, row);
        if (seen.contains(text))
            list->removeRow(row);
        else
            seen.insert(text);
    }
}

void LoadVisibleFields(QComboBox* combo, const QString& condition, sqlite3* db) {
    if (!combo)
        return;
    combo->addItems(VisibleFieldNames(condition, db));
}

std::vector<std::pair<int, int>> SelectedRowRanges(const QAbstractItemView* list) {
    std::vector<std::pair<int, int>> ranges;
    if (!list || !list->selectionModel())
        return ranges;
    for (const QItemSelectionRange& r : list->selectionModel()->selection())
        ranges.emplace_back(r.top(), r.bottom());
    std::sort(ranges.begin(), ranges.end());
    // Column-wise pieces of one row range overlap: merge them.
    std::vector<std::pair<int, int>> merged;
    for (const auto& r : ranges) {
        if (!merged.empty() && r.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, r.second);
        else
            merged.push_back(r);
    }
    return merged;
}
