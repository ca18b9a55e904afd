#include "automation/contact_greeting_times.h"

namespace {

constexpr char kDay[] = "yyyy-MM-dd";
constexpr char kMinute[] = "yyyy-MM-dd HH:mm:00";

// Two digits, nothing else.
int TwoDigits(const QString& text) {
    if (text.size() != 2 || !text[0].isDigit() || !text[1].isDigit())
        return -1;
    return text.toInt();
}

} // namespace

ContactGreetingTimes GreetingTimes(const QString& date, int daysBefore, const QTime& time, int years,
                                   const QDateTime& now) {
    ContactGreetingTimes result;
    QString monthDay = date.right(5);
    if (monthDay.startsWith(QLatin1Char('-')))
        monthDay[0] = QLatin1Char('0');
    const int month =
        monthDay.size() == 5 && monthDay[2] == QLatin1Char('-') ? TwoDigits(monthDay.left(2)) : -1;
    const int day = TwoDigits(monthDay.right(2));
    if (month < 0 || day < 0 || !time.isValid())
        return result;

    const QString timeText = time.toString(QStringLiteral("HH:mm")) + QStringLiteral(":00");
    const QString currentMinute = now.toString(QLatin1String(kMinute));
    const QString limit = now.addSecs(5 * 60).toString(QLatin1String(kMinute));
    for (int i = 0; i < years; ++i) {
        const QDate event(now.date().year() + i, month, day);
        if (!event.isValid())
            continue;
        const QString t =
            event.addDays(-daysBefore).toString(QLatin1String(kDay)) + QLatin1Char(' ') + timeText;
        if (t < currentMinute)
            continue;
        if (t <= limit)
            result.nearNow = true;
        result.times << t;
    }
    return result;
}
