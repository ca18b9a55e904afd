#pragma once
// The guard of the timers that act on "this minute" (date messages, task
// reminders): every local minute is handled at most once, and a late tick
// or the hour daylight-saving time skips is caught up.
#include <QDateTime>
#include <QString>

#include <vector>

class MinuteGuard {
public:
    // A longer real gap than this (a suspend) handles only the current minute.
    static constexpr qint64 kMaxCatchUpMinutes = 10;

    // The first tick handles from the minute of `now` on.
    void Arm(const QDateTime& now);
    void Disarm() { m_armed = false; }
    bool armed() const { return m_armed; }

    // The local minutes ("yyyy-MM-dd HH:mm", in `now`'s zone) to handle at
    // `now`, in order: each one after the last handled up to now's. A minute
    // not later than the last handled one (the clock set back, the repeated
    // hour) is never handled again. Nothing while not armed.
    std::vector<QString> Tick(const QDateTime& now);

    // The last minute handled, or the one before the armed minute.
    const QString& lastHandled() const { return m_last; }

private:
    bool m_armed = false;
    QString m_last;
    QDateTime m_lastWall;       // m_last as a zone-free clock-face value
    qint64 m_lastUtcMinute = 0; // real minutes since the epoch
};
