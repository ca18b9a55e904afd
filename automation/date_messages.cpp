#include "automation/date_messages.h"

#include "automation/date_rules.h"
#include "platform/ini.h"

#include <QStringList>
#include <QTime>

namespace {
const QString kSection = QStringLiteral("DateMSG");
const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

QString Key(const QString& accountIni, const char* name, int n, int maxChars) {
    return ini::ReadString(accountIni, kSection, QString::fromLatin1(name).arg(n), QString(), maxChars);
}
} // namespace

bool LoadDateMsgSettings(sqlite3* db, const QString& accountIni, const QDate& today,
                         std::vector<DATEMSGVALUE>& settings) {
    settings.clear();
    bool enabled = false;
    std::vector<DateMatch> matches;
    for (int n = 1; n <= 4; ++n) {
        DATEMSGVALUE msg;
        msg.name = Key(accountIni, "Name%1", n, 20);
        msg.autoSend = Key(accountIni, "AutoSend%1", n, 20).trimmed().toInt();
        msg.preDays = Key(accountIni, "PreDays%1", n, 20);
        msg.sendTime = Key(accountIni, "SendTime%1", n, 20);
        msg.content = Key(accountIni, "Content%1", n, 300);
        if (msg.autoSend != 0 && MatchDateField(db, msg.name, LeadDays(msg.preDays), today, matches)) {
            enabled = true;
            // Read as a time of day alone: a wall time the clock skips on a
            // daylight-saving day is still a stamp the minute step can meet.
            const QTime time = QTime::fromString(msg.sendTime.trimmed(), QStringLiteral("H:m:s"));
            QStringList numbers, stamps;
            msg.numberItems.reserve(matches.size());
            msg.sendTimeItems.reserve(matches.size());
            for (const DateMatch& m : matches) {
                const QString stamp =
                    time.isValid() ? m.date + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss"))
                                   : QString();
                msg.numberItems.push_back(m.number);
                msg.sendTimeItems.push_back(stamp);
                numbers << m.number;
                stamps << stamp;
            }
            msg.numbers = numbers.join(QLatin1Char(','));
            msg.sendTimes = stamps.join(QLatin1Char(','));
        }
        settings.push_back(std::move(msg));
    }
    return enabled;
}

std::vector<DateSend> DueDateSends(const std::vector<DATEMSGVALUE>& settings, const QString& minute) {
    std::vector<DateSend> sends;
    const QDate day = QDate::fromString(minute.left(10), kDateFormat);
    if (!day.isValid() || minute.size() != 16)
        return sends;
    for (size_t i = 0; i < settings.size() && i < 4; ++i) {
        const DATEMSGVALUE& msg = settings[i];
        if (msg.autoSend == 0 || msg.numberItems.empty())
            continue;
        const QString key =
            day.addDays(LeadDays(msg.preDays)).toString(kDateFormat) + minute.mid(10) + QStringLiteral(":00");
        DateSend send;
        send.message = static_cast<int>(i);
        send.minute = minute;
        send.content = msg.content;
        for (size_t r = 0; r < msg.numberItems.size() && r < msg.sendTimeItems.size(); ++r)
            if (msg.sendTimeItems[r] == key)
                send.numbers.push_back(msg.numberItems[r]);
        if (!send.numbers.empty())
            sends.push_back(std::move(send));
    }
    return sends;
}
