// Which task reminders are due in a minute: the occurrence less its lead
// minutes, compared by the minute.
#include "automation/task_tips.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <vector>

namespace {

QDateTime At(const char* text) {
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

TEST(Timers, TaskTipsDueInTheMinute) {
    const std::vector<TASK_TIP> tips = {
        {QStringLiteral("2026-12-11 10:00"), QStringLiteral("0"), 12},
        {QStringLiteral("2026-12-11 10:05"), QStringLiteral("5"), 15},
        {QStringLiteral("2026-12-11 10:00"), QStringLiteral("10"), 21},
        {QStringLiteral("2026-12-12 00:05"), QStringLiteral("10"), 30},         // due the day before
        {QStringLiteral("2026-12-11 11:00"), QStringLiteral("60 minutes"), 31}, // leading number counts
        {QStringLiteral("2026-12-11 12:00"), QString(), 40}, // no lead: due at its own minute
        {QStringLiteral("not a time"), QStringLiteral("0"), 50},
    };
    const struct {
        const char* now;
        QString ids;
    } cases[] = {
        {"2026-12-11 10:00:00", QStringLiteral("12,15,31")},
        {"2026-12-11 10:00:59", QStringLiteral("12,15,31")}, // any second of the minute
        {"2026-12-11 09:50:30", QStringLiteral("21")},
        {"2026-12-11 10:01:00", QString()}, // the next minute: nothing
        {"2026-12-11 09:59:59", QString()},
        {"2026-12-11 23:55:00", QStringLiteral("30")},
        {"2026-12-11 12:00:00", QStringLiteral("40")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.now);
        EXPECT_EQ(DueTaskTipIds(tips, At(c.now)), c.ids);
    }
    EXPECT_EQ(DueTaskTipIds({}, At("2026-12-11 10:00:00")), QString());
}

} // namespace
