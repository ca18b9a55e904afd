#include "automation/holiday_messages.h"

#include "core/helpers.h"
#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <QDate>

namespace {

// A cell value of one or two digits, else -1.
int CellNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 2)
        return -1;
    for (const QChar c : t)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    return t.toInt();
}

} // namespace

bool LoadHolidays(sqlite3* db, int type, std::vector<HolidayRow>& rows) {
    rows.clear();
    SqlStatement query(
        db, "SELECT month,day,name,content,recID FROM holidaySMS WHERE type=?  ORDER BY month,day");
    query.bind(1, type);
    int rc = SQLITE_ERROR;
    while (query.ok() && (rc = query.step()) == SQLITE_ROW)
        rows.push_back({query.qtext(0), query.qtext(1), query.qtext(2), query.qtext(3), query.int64(4)});
    if (rc != SQLITE_DONE) {
        LogWriteString(g_logRun, QStringLiteral("加载假日列表出错了"));
        return false;
    }
    return true;
}

HolidayCellError CheckHolidayDate(const QString& month, const QString& day, int type, bool editedMonth) {
    const QString& edited = editedMonth ? month : day;
    if (edited.trimmed().isEmpty())
        return HolidayCellError::Empty;
    const int m = CellNumber(month);
    const int d = CellNumber(day);
    if (editedMonth && (m < 1 || m > 12))
        return HolidayCellError::Month;
    if (!editedMonth && (d < 1 || d > 31))
        return HolidayCellError::Day;
    if (type == kHolidayLunar)
        return HolidayCellError::None;
    // The other cell may be empty or hold an old value: judge the pair only
    // when both are dates. A leap year keeps 29 February.
    if (m >= 1 && m <= 12 && d >= 1 && d <= 31 && !QDate(2000, m, d).isValid())
        return HolidayCellError::NoSuchDay;
    return HolidayCellError::None;
}

bool SaveHoliday(sqlite3* db, int type, HolidayRow& row) {
    SqlTransaction transaction(db);
    bool ok = transaction.active();
    if (ok && row.recID != 0) {
        SqlStatement remove(db, "DELETE FROM holidaySMS WHERE recID=?");
        remove.bind(1, row.recID);
        ok = remove.ok() && remove.step() == SQLITE_DONE;
    }
    const int64_t newId = ok ? AllocateId(db, "holidaySMS", "recID") : 0;
    if (ok && newId != 0) {
        SqlStatement insert(
            db, "INSERT INTO holidaySMS (month,day,name,content,recID,type) values (?,?,?,?,?,?)");
        insert.bind(1, static_cast<int64_t>(CellNumber(row.month)))
            .bind(2, static_cast<int64_t>(CellNumber(row.day)))
            .bind(3, row.name)
            .bind(4, row.content)
            .bind(5, newId)
            .bind(6, type);
        ok = insert.ok() && insert.step() == SQLITE_DONE && transaction.commit() == SQLITE_OK;
    } else {
        ok = false;
    }
    if (!ok) {
        LogWriteString(g_logRun, QStringLiteral("新增假日祝福语出错了"));
        return false;
    }
    row.recID = newId;
    return true;
}

bool DeleteHoliday(sqlite3* db, int64_t recID) {
    SqlStatement remove(db, "DELETE FROM holidaySMS WHERE recID=?");
    remove.bind(1, recID);
    if (remove.ok() && remove.step() == SQLITE_DONE)
        return true;
    LogWriteString(g_logRun, QStringLiteral("删除假日祝福语出错了"));
    return false;
}

const std::vector<int>& HolidayPreDayChoices() {
    static const std::vector<int> choices{1, 3, 5, 7, 10, 15, 30};
    return choices;
}

HolidayTipSettings ReadHolidayTipSettings(const QString& iniPath) {
    HolidayTipSettings settings;
    settings.autoTip = ini::ReadString(iniPath, QStringLiteral("HolidayTip"), QStringLiteral("AutoTip"),
                                       QString(), 20) == QLatin1String("1");
    settings.preDays =
        ini::ReadString(iniPath, QStringLiteral("HolidayTip"), QStringLiteral("preDays"), QString(), 20);
    return settings;
}

bool WriteHolidayTipSettings(const QString& iniPath, bool autoTip, int preDays) {
    std::vector<ini::KeyValue> values{
        {QStringLiteral("AutoTip"), autoTip ? QStringLiteral("1") : QStringLiteral("0")}};
    if (preDays >= 0)
        values.push_back({QStringLiteral("preDays"), QString::number(preDays)});
    if (ini::WriteStrings(iniPath, QStringLiteral("HolidayTip"), values))
        return true;
    LogWrite(g_logRun, "ERROR,CDlgHoliday,cannot write " + LogEscape(iniPath));
    return false;
}
