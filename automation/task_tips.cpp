#include "automation/task_tips.h"

#include "core/helpers.h"

#include <QDateTime>
#include <QStringList>

namespace {
const QString kMinuteFormat = QStringLiteral("yyyy-MM-dd HH:mm");
}

void LoadTaskTips(std::vector<TASK_TIP>& tips) {
    tips.clear();
}

QString DueTaskTipIds(const std::vector<TASK_TIP>& tips, const QDateTime& now) {
    const QString minute = now.toString(kMinuteFormat);
    QStringList ids;
    for (const TASK_TIP& tip : tips) {
        const QDateTime occurrence = QDateTime::fromString(tip.fullTime.trimmed(), kMinuteFormat);
        if (!occurrence.isValid())
            continue;
        const qint64 leadSeconds = qint64(LeadingNumber(tip.preMinutes)) * 60;
        if (occurrence.addSecs(-leadSeconds).toString(kMinuteFormat) == minute)
            ids << QString::number(tip.taskID);
    }
    return ids.join(QLatin1Char(','));
}
