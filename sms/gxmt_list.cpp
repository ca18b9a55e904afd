#include "sms/gxmt_list.h"

#include "core/helpers.h"
#include "platform/encoding.h"

#include <QStringList>

QString GxmtContent(const QString& text) {
    return QString::fromLatin1(UrlEncode(enc::ToGbk(text)));
}

GxmtLists JoinGxmtItems(const std::vector<GxmtItem>& items) {
    QStringList numbers, contents, times;
    bool timed = false;
    for (const GxmtItem& item : items) {
        numbers << item.number;
        contents << GxmtContent(item.content);
        times << item.time;
        timed = timed || !item.time.isEmpty();
    }
    GxmtLists lists;
    lists.numbers = numbers.join(QLatin1Char(','));
    lists.contents = contents.join(QLatin1Char(','));
    if (timed)
        lists.times = times.join(QLatin1Char(','));
    return lists;
}
