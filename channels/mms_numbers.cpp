#include "channels/mms_numbers.h"

#include "core/numbers.h"
#include "core/virtual_list.h"

std::optional<qint64> MmsNumberKey(const QString& number) {
    // The number module's key (digits only; a leading "0" keeps a "2" in
    // front, so no digit is lost), then the composer's range: a mobile
    // number, or "20000000000" itself.
    const std::optional<qint64> key = RecipientNumberKey(QStringView(number));
    if (!key || *key < kMobileKeyMin || *key > kMobileKeyMax)
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
