#pragma once
// The totals of successful submissions per charge mark ("短信归属"), kept in
// CountmsgRecord of the customer database: the date condition of a range,
// the grouped query the statistics window pages through, the ranged delete
// and the spreadsheet export.
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>

struct sqlite3;

// The days of the "从" and "到" pickers; an unticked picker is nullopt.
struct StatisticsRange {
    std::optional<QDate> from;
    std::optional<QDate> to;
};

// " AND submitTime>'<from>'" and/or " AND (submitTime<'<to>' OR submitTime
// like '<to>%')" with the days as "yyyy-MM-dd", quoted; empty without days.
// Submit times carry the time of day after the date, so the end day is
// included whole.
std::string StatisticsDateCondition(const StatisticsRange& range);

// The totals per mark of the rows that were sent (isFail 0) and have a mark
// (an empty mark counts, NULL does not): columns mark, SUM(msgcount),
// SUM(numcount).
std::string StatisticsQuery(const std::string& condition);
// "select count(*) from (<query>)".
std::string StatisticsCountQuery(const std::string& query);

// Deletes the statistics rows of the range (every row without days).
// SQLITE_OK on success; a failure is logged.
int DeleteStatistics(sqlite3* db, const std::string& condition);

// The sheet and the header of an export.
QString StatisticsSheetName();
QStringList StatisticsHeader();

// Writes every row of `query` (as StatisticsQuery gives it) under the header
// to the .xlsx file `path`, every cell as text. False when the query failed or
// the file could not be written; `error` then says why, for the run log.
bool ExportStatistics(sqlite3* db, const std::string& query, const QString& path, QString* error = nullptr);
