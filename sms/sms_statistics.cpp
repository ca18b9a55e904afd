#include "sms/sms_statistics.h"

#include "contacts/xlsx_writer.h"
#include "core/sql.h"

#include <QFile>

std::string StatisticsDateCondition(const StatisticsRange& range) {
    return DayRangeCondition("submitTime", range.from.value_or(QDate()), range.to.value_or(QDate()));
}

std::string StatisticsQuery(const std::string& condition) {
    return "select mark,SUM(msgcount),SUM(numcount) from CountmsgRecord where isFail=0 and mark is not "
           "null " +
           condition + " group by mark ";
}

std::string StatisticsCountQuery(const std::string& query) {
    return "select count(*) from (" + query + ")";
}

int DeleteStatistics(sqlite3* db, const std::string& condition) {
    return ExecSql(nullptr, db, "DELETE FROM CountmsgRecord  WHERE 1=1 " + condition);
}

// The file keeps the names it always had, whatever the window's language, so
// sheets read by other tools find their columns.
QString StatisticsSheetName() {
    return QStringLiteral("统计结果");
}

QStringList StatisticsHeader() {
    return {QStringLiteral("短信归属"), QStringLiteral("短信成功扣费条数"),
            QStringLiteral("成功发送的手机个数")};
}

bool ExportStatistics(sqlite3* db, const std::string& query, const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    SqlStatement st(db, query);
    if (!st.ok())
        return fail(QStringLiteral("cannot read the statistics"));
    XlsxWriter writer(path);
    writer.AddSheet(StatisticsSheetName());
    writer.AddRow(StatisticsHeader());
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        QStringList cells;
        for (int column = 0; column < 3; ++column)
            cells << st.qtext(column);
        if (!writer.AddRow(cells))
            break;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        // Half the totals would pass for all of them: no file at all.
        writer.Close();
        QFile::remove(path);
        return fail(QStringLiteral("cannot read the statistics"));
    }
    // A refused sheet or row makes Close fail too: the file is then incomplete.
    if (!writer.Close())
        return fail(writer.ErrorText());
    return true;
}
