#include "sms/sms_text.h"

#include <QCoreApplication>

#include <algorithm>

namespace {

int CeilDiv(int a, int b) {
    return (a + b - 1) / b;
}

// The widest numbering written for `count` parts: the part number grows in
// digits up to the count, and custom texts may be long.
int NumberingWidth(const SmsNumbering& numbering, int count) {
    int widest = 0;
    // The width only changes where the part number gains a digit, so 1, 10,
    // 100, ... and the count itself cover every width.
    for (int part = 1; part <= count; part *= 10)
        widest = std::max(widest, static_cast<int>(FormatSmsNumbering(numbering, part, count).size()));
    widest = std::max(widest, static_cast<int>(FormatSmsNumbering(numbering, count, count).size()));
    return widest;
}

} // namespace

QString BracketedSignature(const QString& signature) {
    return QStringLiteral("【") + signature + QStringLiteral("】");
}

QString ComposeSmsText(const QString& content, const QString& hint, const QString& signature, bool sign) {
    QString text = content + hint;
    if (sign)
        text += BracketedSignature(signature);
    return text;
}

bool RemoveBracketedSignature(QString* content, const QString& signature) {
    if (!content || signature.isEmpty())
        return false;
    const QString bracketed = BracketedSignature(signature);
    if (!content->contains(bracketed))
        return false;
    content->remove(bracketed);
    return true;
}

bool HasWideChar(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0xFF; });
}

LongSmsCap CheckLongSmsCap(int composedLength, int contentLength, bool wide) {
    LongSmsCap cap;
    const int limit = wide ? 500 : 1000;
    if (composedLength <= limit)
        return cap;
    cap.exceeded = true;
    // Hint and signature stay whole; the content gives way.
    const int extra = std::max(0, composedLength - contentLength);
    cap.cutContentTo = std::max(0, std::min(contentLength, limit - extra));
    cap.warning = wide ? QCoreApplication::translate("SmsText", "单条长短信内容总长度不能超过500")
                       : QCoreApplication::translate("SmsText", "单条单字节长短信内容总长度不能超过1000");
    return cap;
}

int SmsPartLength(bool wide) {
    return wide ? kWideSmsLength : kNarrowSmsLength;
}

bool NeedsSplit(int composedLength, bool wide) {
    return composedLength > SmsPartLength(wide);
}

QStringList SplitSmsText(const QString& body, const QString& bracketedSignature,
                         const SmsNumbering& numbering) {
    const bool wide = HasWideChar(body) || HasWideChar(bracketedSignature);
    const int partLength = SmsPartLength(wide);
    const int length = static_cast<int>(body.size());
    const int signature = static_cast<int>(bracketedSignature.size());
    if (length + signature <= partLength)
        return {body + bracketedSignature};

    // The numbering's width depends on the count and the count on the
    // capacity the numbering leaves: start from one part and raise the count
    // until the body fits the capacity that count leaves. The count never
    // falls back, and the capacity is at least 1, so this ends.
    int count = 1;
    int capacity = 1;
    for (;;) {
        capacity = std::max(1, partLength - signature - NumberingWidth(numbering, count));
        const int needed = std::max(1, CeilDiv(length, capacity));
        if (needed <= count)
            break;
        count = needed;
    }
    count = CeilDiv(length, capacity);

    QStringList parts;
    parts.reserve(count);
    for (int part = 1; part <= count; ++part) {
        QString text = FormatSmsNumbering(numbering, part, count) + body.mid((part - 1) * capacity, capacity);
        if (part == count)
            text += bracketedSignature;
        parts.append(text);
    }
    return parts;
}

QStringList SmsParts(const QString& body, const QString& bracketedSignature, bool longSms,
                     const SmsNumbering& numbering) {
    if (longSms)
        return {body + bracketedSignature};
    return SplitSmsText(body, bracketedSignature, numbering);
}

QStringList SmsPartsOfText(const QString& text, const QString& bracketedSignature, bool longSms,
                           const SmsNumbering& numbering) {
    if (!bracketedSignature.isEmpty() && text.endsWith(bracketedSignature))
        return SmsParts(text.left(text.size() - bracketedSignature.size()), bracketedSignature, longSms,
                        numbering);
    return SmsParts(text, QString(), longSms, numbering);
}

int ChargePerNumber(int composedLength, bool wide, bool longSms, int partCount) {
    if (!longSms)
        return std::max(1, partCount);
    if (composedLength > SmsPartLength(wide))
        return CeilDiv(composedLength, kLongSmsPartLength);
    return 1;
}

int RecordPartCount(const QString& text) {
    const int length = static_cast<int>(text.size());
    if (length > SmsPartLength(HasWideChar(text)))
        return CeilDiv(length, kLongSmsPartLength);
    return 1;
}

qint64 ChargeTotal(int perNumber, qint64 domestic, qint64 international) {
    return perNumber * domestic + kInternationalChargeFactor * perNumber * international;
}

QString FormatChargeTotal(qint64 total) {
    return QCoreApplication::translate("CDlgSendSMS", "%d 条")
        .replace(QLatin1String("%d"), QString::number(total));
}

SmsCount CountSms(const SmsCountInput& input) {
    SmsCount count;
    const QString bracketed = input.sign ? BracketedSignature(input.signature) : QString();
    QString content = input.content;
    count.wide = HasWideChar(content) || HasWideChar(input.hint) || HasWideChar(bracketed);
    if (input.longSms) {
        const int composedLength = static_cast<int>(content.size() + input.hint.size() + bracketed.size());
        count.cap = CheckLongSmsCap(composedLength, static_cast<int>(content.size()), count.wide);
        if (count.cap.exceeded) {
            content.truncate(count.cap.cutContentTo);
            count.wide = HasWideChar(content) || HasWideChar(input.hint) || HasWideChar(bracketed);
        }
    }
    const QString body = content + input.hint;
    count.composed = body + bracketed;
    count.parts = SmsParts(body, bracketed, input.longSms, input.numbering);
    count.perNumber = ChargePerNumber(static_cast<int>(count.composed.size()), count.wide, input.longSms,
                                      static_cast<int>(count.parts.size()));
    return count;
}

int PerMsgPartCount(const QString& text) {
    const qsizetype length = text.size();
    if (length <= kWideSmsLength)
        return length > 0 ? 1 : 0;
    return static_cast<int>((length + kLongSmsPartLength - 1) / kLongSmsPartLength);
}
