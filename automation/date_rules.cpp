#include "automation/date_rules.h"

#include "core/convert.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <algorithm>

namespace {

const char kMatchError[] = "查询日期类型短信中的日期出错了";
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

bool IsUserFieldId(const QString& field) {
    if (field.isEmpty() || field.size() > 2)
        return false;
    return std::all_of(field.begin(), field.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A whole number of one or two digits held in a column (month, day).
int SmallNumber(const QString& text) {
    if (!IsUserFieldId(text))
        return 0;
    return text.toInt();
}

} // namespace

int LeadDays(const QString& text) {
    return std::max(0, LeadingNumber(text));
}

QDate DateInYear(int year, int month, int day) {
    if (month == 2 && day == 29 && !QDate::isLeapYear(year))
        day = 28;
    return QDate(year, month, day);
}

QDate NextOccurrence(int month, int day, const QDate& today) {
    // A month-day no leap year holds is no date at all.
    if (!QDate(2000, month, day).isValid())
        return {};
    const QDate thisYear = DateInYear(today.year(), month, day);
    return thisYear < today ? DateInYear(today.year() + 1, month, day) : thisYear;
}

bool IsDateField(sqlite3* db, const QString& field) {
    if (field.size() < 3)
        return IsUserFieldId(field);
    return IsTableColumn(db, "ContactList", UnicodeToUtf8(field));
}

bool MatchDateField(sqlite3* db, const QString& field, int leadDays, const QDate& today,
                    std::vector<DateMatch>& out) {
    out.clear();
    if (!IsDateField(db, field)) {
        LogWrite(g_logRun,
                 "ERROR,the date message's field is no date field of the contacts: " + LogEscape(field));
        return false;
    }
    const QDate event = today.addDays(leadDays);
    const QString target = event.toString(QStringLiteral("MM-dd"));
    // On 28 February of a common year the contacts born on the 29th are due too.
    const QString leapDay = event.month() == 2 && event.day() == 28 && !QDate::isLeapYear(event.year())
                                ? QStringLiteral("02-29")
                                : target;
    const std::string sql =
        field.size() < 3
            ? std::string(
                  "SELECT DISTINCT a.mobileNum,substr(b.fieldValue,6,5) bd \t\t\t\t\t\t FROM ContactList "
                  "a,autoFieldInfo b\t\t\t\t\t\t WHERE  a.perNO=b.personID \t\t\t\t\t\t AND a.isDeleted =0 "
                  "\t\t\t\t\t\t AND a.mobileNum IS NOT NULL  AND a.mobileNum !='' \t\t\t\t\t\t AND bd IS NOT "
                  "NULL AND (bd = ?1 OR bd = ?2) \t\t\t\t\t\t AND b.fieldID=?3")
            : "SELECT DISTINCT mobileNum,substr(" + UnicodeToUtf8(field) +
                  ",6,5) bd FROM ContactList WHERE  isDeleted =0 AND mobileNum IS NOT NULL  AND mobileNum "
                  "!='' "
                  "\t\t\t\t\t\t AND bd IS NOT NULL AND (bd = ?1 OR bd = ?2)";
    SqlStatement st(db, sql);
    if (!st.ok()) {
        LogSqlError(SqlErrorText(db), st.prepareResult(), kMatchError);
        return false;
    }
    st.bind(1, target).bind(2, leapDay);
    if (field.size() < 3)
        st.bind(3, static_cast<int64_t>(field.toInt()));
    const QString date = event.toString(kDateFormat);
    int rc;
    while ((rc = st.step()) == SQLITE_ROW)
        out.push_back({st.qtext(0), date});
    if (rc != SQLITE_DONE) {
        LogSqlError(SqlErrorText(db), rc, kMatchError);
        out.clear();
        return false;
    }
    return true;
}

std::vector<QString> BirthdayReminderNumbers(sqlite3* db, int leadDays, const QDate& today) {
    std::vector<DateMatch> matches;
    MatchDateField(db, QStringLiteral("birthDay"), leadDays, today, matches);
    std::vector<QString> numbers;
    const QString now = today.toString(kDateFormat);
    for (const DateMatch& m : matches) {
        const QDate d = QDate::fromString(m.date, kDateFormat);
        if (d.isValid() && d.addDays(-leadDays).toString(kDateFormat) <= now && now <= m.date &&
            std::find(numbers.begin(), numbers.end(), m.number) == numbers.end())
            numbers.push_back(m.number);
    }
    return numbers;
}

HolidayTipSettings HolidayTipSettings::Read(const QString& accountIni) {
    HolidayTipSettings s;
    const QString section = QStringLiteral("HolidayTip");
    s.on =
        ini::ReadString(accountIni, section, QStringLiteral("AutoTip"), QString(), 20) == QLatin1String("1");
    s.preDays = ini::ReadString(accountIni, section, QStringLiteral("preDays"), QString(), 20);
    return s;
}

std::vector<HOLIDAYCONTENT> DueHolidays(sqlite3* db, int leadDays, const QDate& today) {
    std::vector<HOLIDAYCONTENT> out;
    SqlStatement st(db,
                    "SELECT month,day,name,recID FROM holidaySMS WHERE type=0 OR type=2 ORDER BY month,day");
    if (!st.ok())
        return out;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW) {
        const QDate date =
            NextOccurrence(SmallNumber(st.qtext(0).trimmed()), SmallNumber(st.qtext(1).trimmed()), today);
        if (!date.isValid()) {
            LogWriteString(g_logRun,
                           QStringLiteral("ERROR,holiday recID=%1 has no valid month and day (%2-%3); it is "
                                          "not listed")
                               .arg(st.qtext(3), st.qtext(0), st.qtext(1)));
            continue;
        }
        if (date.addDays(-leadDays) <= today)
            out.push_back({date.toString(kDateFormat), st.qtext(2)});
    }
    return out;
}
