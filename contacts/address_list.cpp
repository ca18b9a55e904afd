#include "contacts/address_list.h"

#include "contacts/xlsx_writer.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/numbers.h"
#include "core/sql.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace {

struct ConditionInfo {
    const char* text;
    const char* op;
};
constexpr std::array<ConditionInfo, kFieldConditionCount> kConditions = {{
    {"大于", ">"},
    {"小于", "<"},
    {"等于", "="},
    {"包含", "like "},
    {"不等于", "!="},
    {"大于或等于", ">="},
    {"小于或等于", "<="},
}};

// Rowids per DELETE statement, well below SQLite's limit of bound values.
constexpr size_t kDeleteBatch = 500;

} // namespace

const char* FieldConditionText(FieldCondition condition) {
    return kConditions[static_cast<size_t>(condition)].text;
}

QString BuildFieldCondition(const QString& column, FieldCondition condition, const QString& content,
                            sqlite3* db) {
    if (content.isEmpty() || !IsTableColumn(db, "ContactList", column.toStdString()))
        return {};
    const QString value = condition == FieldCondition::Contains ? "%" + content + "%" : content;
    return QStringLiteral(" AND %1 %2%3")
        .arg(column, QString::fromUtf8(kConditions[static_cast<size_t>(condition)].op),
             QString::fromStdString(SqlQuote(value)));
}

RowRangeResult ParseRowRange(const QString& startText, const QString& endText, RowNumberRange& range) {
    if (startText.trimmed().isEmpty())
        return RowRangeResult::None;
    const int start = LeadingNumber(startText);
    if (start <= 0)
        return RowRangeResult::Invalid;
    range.start = start;
    range.end.reset();
    if (!endText.trimmed().isEmpty())
        range.end = LeadingNumber(endText);
    return RowRangeResult::Range;
}

QString RowRangeClause(const RowNumberRange& range) {
    const qint64 offset = static_cast<qint64>(range.start) - 1;
    const qint64 limit =
        range.end ? std::max<qint64>(0, static_cast<qint64>(*range.end) - range.start + 1) : -1;
    return QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(offset);
}

qint64 RowRangeCount(const RowNumberRange& range, qint64 total) {
    const qint64 left = std::max<qint64>(0, total - (static_cast<qint64>(range.start) - 1));
    if (!range.end)
        return left;
    return std::min(std::max<qint64>(0, static_cast<qint64>(*range.end) - range.start + 1), left);
}

QString GroupCondition(const std::vector<qint64>& tickedGroups) {
    if (tickedGroups.empty() || std::find(tickedGroups.begin(), tickedGroups.end(), 0) != tickedGroups.end())
        return {};
    QStringList parts;
    for (qint64 id : tickedGroups)
        parts << QStringLiteral(" groupID=%1").arg(id);
    return " AND ( " + parts.join(" OR ") + ") ";
}

QString LetterCondition(QChar letter) {
    return " AND firstLetter=" + QString::fromStdString(SqlQuote(QString(letter)));
}

std::optional<QString> PickerSortColumn(int listColumn, const QStringList& fieldColumns) {
    if (listColumn == 2)
        return QStringLiteral("groupID");
    if (listColumn >= 3 && listColumn - 3 < fieldColumns.size())
        return fieldColumns[listColumn - 3];
    return std::nullopt;
}

SortState& PickerSortState() {
    static SortState state;
    return state;
}

AddressListQuery BuildAddressListQuery(const QStringList& fieldColumns, const QString& condition,
                                       const QString& orderClause, const std::optional<RowNumberRange>& range,
                                       sqlite3* db) {
    AddressListQuery query;
    QString columns = QStringLiteral("perNO,groupID");
    int fetched = 2;
    for (const QString& column : fieldColumns) {
        if (!IsTableColumn(db, "ContactList", column.toStdString()))
            continue;
        if (column.compare(QLatin1String("mobileNum"), Qt::CaseInsensitive) == 0)
            query.mobileColumn = fetched;
        columns += "," + column;
        ++fetched;
    }
    // rowid comes last so fetched column c is still list column c+1.
    columns += QStringLiteral(",rowid");
    query.range = range;
    query.rowNumberBase = range ? range->start : 1;
    query.unrangedSql =
        QStringLiteral("SELECT  %1 FROM contactList WHERE 1=1 %2 %3 ").arg(columns, condition, orderClause);
    query.listSql = range ? query.unrangedSql.chopped(1) + RowRangeClause(*range) + " " : query.unrangedSql;
    query.indexedOrder = condition.trimmed().isEmpty() && orderClause == QLatin1String(kDefaultContactOrder);
    query.countSql = QStringLiteral("SELECT COUNT(*) FROM contactList WHERE 1=1 %1").arg(condition);
    return query;
}

RowRangeResult AddressListFilter::Build(const AddressListInputs& inputs, const QStringList& fieldColumns,
                                        QString& condition, std::optional<RowNumberRange>& range,
                                        sqlite3* db) const {
    QString built = GroupCondition(inputs.tickedGroups);
    if (!inputs.letter.isNull())
        built += LetterCondition(inputs.letter);
    std::optional<RowNumberRange> rows;
    RowRangeResult result = RowRangeResult::None;
    const QString content = m_useAdvanced ? QString() : inputs.content;
    if (inputs.queryField == 0) {
        RowNumberRange parsed;
        result = ParseRowRange(content, inputs.rangeEnd, parsed);
        if (result == RowRangeResult::Invalid)
            return result;
        if (result == RowRangeResult::Range)
            rows = parsed;
    } else if (inputs.queryField >= 1 && inputs.queryField <= fieldColumns.size()) {
        built += BuildFieldCondition(fieldColumns[inputs.queryField - 1], inputs.condition, content, db);
    }
    if (m_useAdvanced)
        built += m_advancedCondition;
    condition = built;
    range = rows;
    return result;
}

qint64 CountAddressList(const AddressListQuery& query, sqlite3* db) {
    SqlStatement count(db, query.countSql.toStdString());
    if (!count.ok() || count.step() != SQLITE_ROW) {
        LogWrite(g_logRun, "查询界面加载联系人列表出错了");
        return -1;
    }
    const qint64 total = count.int64(0);
    return query.range ? RowRangeCount(*query.range, total) : total;
}

const char* PickerNumberColumn(PickerMode mode) {
    switch (mode) {
    case PickerMode::Fax:
        return "conFax";
    case PickerMode::Email:
        return "eMail";
    default:
        return "mobileNum";
    }
}

bool CollectPickedContacts(const ContactSelection& selection, const char* numberColumn,
                           std::vector<PickedContact>& contacts, sqlite3* db) {
    contacts.clear();
    const bool ok = selection.ForEachTicked(db, QString::fromUtf8(numberColumn) + ",name,perNO",
                                            [&contacts](SqlStatement& row, qint64) {
                                                QString number = row.qtext(0);
                                                if (!number.isEmpty())
                                                    contacts.push_back({number, row.qtext(1), row.int64(2)});
                                                return true;
                                            });
    if (!ok)
        LogWrite(g_logRun, "出错了");
    return ok;
}

qint64 DeleteTickedContacts(const ContactSelection& selection, sqlite3* db) {
    std::vector<qint64> rowids;
    if (!selection.ForEachTicked(db, QStringLiteral("perNO"), [&rowids](SqlStatement&, qint64 rowid) {
            rowids.push_back(rowid);
            return true;
        })) {
        LogWrite(g_logRun, "删除联系人主表出错了");
        return -1;
    }
    if (rowids.empty())
        return 0;
    SqlTransaction transaction(db);
    if (!transaction.active()) {
        LogWrite(g_logRun, "删除联系人主表出错了");
        return -1;
    }
    qint64 deleted = 0;
    for (size_t first = 0; first < rowids.size(); first += kDeleteBatch) {
        const size_t n = std::min(kDeleteBatch, rowids.size() - first);
        SqlStatement del(db, "DELETE FROM ContactList WHERE rowid IN(" + SqlParameterList(n) + ")");
        for (size_t i = 0; i < n; ++i)
            del.bind(static_cast<int>(i + 1), static_cast<int64_t>(rowids[first + i]));
        if (!del.ok() || del.exec() != SQLITE_OK) {
            LogWrite(g_logRun, "删除联系人主表出错了");
            return -1; // the transaction rolls back
        }
        deleted += sqlite3_changes(db);
    }
    if (transaction.commit() != SQLITE_OK) {
        LogWrite(g_logRun, "删除联系人主表出错了");
        return -1;
    }
    return deleted;
}

int ExportAddressList(const QString& path, const AddressListQuery& query, const QStringList& fieldNames,
                      const std::map<qint64, QString>& groupNames, sqlite3* db) {
    constexpr int kSucceeded = 162;
    constexpr int kFailed = 194;
    XlsxWriter writer(path);
    writer.AddSheet(QStringLiteral("addList"));
    writer.AddRow(QStringList{QStringLiteral("所属分组")} + fieldNames);

    SqlStatement rows(db, query.listSql.toStdString());
    int rc = SQLITE_ERROR;
    if (rows.ok()) {
        // perNO, groupID, the fields, rowid.
        const int fieldEnd = rows.columnCount() - 1;
        QStringList cells;
        while ((rc = rows.step()) == SQLITE_ROW) {
            cells.clear();
            const auto group = groupNames.find(rows.int64(1));
            cells << (group != groupNames.end() ? group->second : QString());
            for (int c = 2; c < fieldEnd; ++c)
                cells << (c == query.mobileColumn ? MaskNumber(rows.qtext(c)) : rows.qtext(c));
            if (!writer.AddRow(cells))
                break;
        }
    }
    const bool written = writer.Close();
    if (rc != SQLITE_DONE || !written) {
        if (!written)
            LogWriteString(g_logRun, QStringLiteral("导出联系人失败: %1").arg(writer.ErrorText()));
        if (rc != SQLITE_DONE && written)
            QFile::remove(path); // a part of the list is no export
        return kFailed;
    }
    return kSucceeded;
}
