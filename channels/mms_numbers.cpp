#include "channels/mms_numbers.h"

#include "core/numbers.h"
#include "core/virtual_list.h"

std::optional<qint64> MmsNumberKey(const QString& number) {
    // 21 digits would not fit; nothing that long is in range anyway.
    if (number.isEmpty() || number.size() > 18)
        return std::nullopt;
    for (const QChar c : number)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    QString keyText = number;
    if (number.startsWith(u'0')) {
        const QChar second = number.size() > 1 ? number[1] : QChar();
        if ((second != u'0' && second != u'1') || number.mid(1, 2) == QLatin1String("10"))
            keyText.prepend(u'2');
    }
    const qint64 key = keyText.toLongLong();
    if (key < kMobileKeyMin || key > kMobileKeyMax)
        return std::nullopt;
    return key;
}

std::vector<SmsRecipient> BuildRecipients(const VIRTUAL_LIST& source) {
    std::vector<SmsRecipient> recipients;
    const int count = source.GetCount();
    recipients.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const qint64 key = source.GetKey(i);
        if (key <= 0)
            continue;
        SmsRecipient r;
        r.key = key;
        r.number = NumberFromKey(key).toStdString();
        qint64 rowKey = 0;
        QString name;
        // The row's own name: a source kept by position finds no key.
        if (source.GetRow(i, &rowKey, &name))
            r.name = name;
        recipients.push_back(std::move(r));
    }
    return recipients;
}

std::string BuildNumberText(const VIRTUAL_LIST* source) {
    std::string text;
    if (!source)
        return text;
    const int count = source->GetCount();
    text.reserve(static_cast<size_t>(count) * 12);
    for (int i = 0; i < count; ++i) {
        const qint64 key = source->GetKey(i);
        if (key <= 0)
            continue;
        if (!text.empty())
            text += ',';
        text += NumberFromKey(key).toStdString();
    }
    return text;
}

QString MmsNumberDisplay(qint64 key) {
    return MaskNumber(NumberFromKey(key));
}
