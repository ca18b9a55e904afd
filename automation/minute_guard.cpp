#include "automation/minute_guard.h"

#include "core/log.h"

namespace {
const QString kMinuteFormat = QStringLiteral("yyyy-MM-dd HH:mm");

// The wall-clock minute of `t` as a zone-free value, so minutes are counted
// on the clock face: the skipped hour is walked through like any other.
QDateTime WallMinute(const QDateTime& t) {
    const QTime time = t.time();
    return QDateTime(t.date(), QTime(time.hour(), time.minute()), Qt::UTC);
}

qint64 UtcMinute(const QDateTime& t) {
    return t.toSecsSinceEpoch() / 60;
}

// The longest walk over the clock face a real gap of kMaxCatchUpMinutes can
// give (a daylight-saving shift is at most two hours).
constexpr qint64 kMaxWallMinutes = MinuteGuard::kMaxCatchUpMinutes + 120;
} // namespace

void MinuteGuard::Arm(const QDateTime& now) {
    m_armed = true;
    m_lastWall = WallMinute(now).addSecs(-60);
    m_last = m_lastWall.toString(kMinuteFormat);
    m_lastUtcMinute = UtcMinute(now) - 1;
}

std::vector<QString> MinuteGuard::Tick(const QDateTime& now) {
    std::vector<QString> minutes;
    if (!m_armed || !now.isValid())
        return minutes;
    const QDateTime wall = WallMinute(now);
    const QString current = wall.toString(kMinuteFormat);
    const qint64 utc = UtcMinute(now);
    if (current <= m_last) {
        // Time went back on the clock face; real time still runs.
        m_lastUtcMinute = utc;
        return minutes;
    }
    const qint64 gap = utc - m_lastUtcMinute;
    QDateTime from = m_lastWall.addSecs(60);
    const qint64 walk = from.secsTo(wall) / 60 + 1;
    if (gap > kMaxCatchUpMinutes || walk > kMaxWallMinutes) {
        LogWriteString(g_logRun,
                       QStringLiteral("INFO,minute timer: %1 minutes passed after %2; only %3 is handled")
                           .arg(gap)
                           .arg(m_last, current));
        minutes.push_back(current);
    } else {
        for (; from <= wall; from = from.addSecs(60))
            minutes.push_back(from.toString(kMinuteFormat));
    }
    m_last = current;
    m_lastWall = wall;
    m_lastUtcMinute = utc;
    return minutes;
}
