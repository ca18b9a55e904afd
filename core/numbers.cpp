#include "core/numbers.h"

#include "core/helpers.h"

#include <limits>

namespace {

// Leading ASCII digits of `text`, at most `limit` of them.
QString LeadingDigits(const QString& text, int limit) {
    int n = 0;
    while (n < text.size() && n < limit && text.at(n) >= QLatin1Char('0') && text.at(n) <= QLatin1Char('9'))
        ++n;
    return text.left(n);
}

// The value of the leading digits, or none without digits or on overflow.
std::optional<qint64> LeadingValue(const QString& text) {
    const QString digits = LeadingDigits(text, 18);
    if (digits.isEmpty())
        return std::nullopt;
    bool ok = false;
    const qint64 value = digits.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

bool InMobileRange(std::optional<qint64> value) {
    return value && *value >= kMobileKeyMin && *value <= kMobileKeyMax;
}

} // namespace

bool IsLegalNumber(const QString& number) {
    if (number.isEmpty())
        return false;
    QString tested = number;
    if (tested.startsWith(QLatin1Char('0')))
        tested[0] = QLatin1Char('2');
    if (InMobileRange(LeadingValue(tested)))
        return true;
    return tested.startsWith(QLatin1Char('2')) && tested.size() >= 9 && tested.size() <= 15;
}

std::optional<qint64> NumberKey(const QString& number) {
    if (!IsLegalNumber(number))
        return std::nullopt;
    if (number.startsWith(QLatin1Char('0'))) {
        // Only digits can become a key; "2" + up to 15 digits fits in 64 bits.
        if (LeadingDigits(number, 16).size() != number.size())
            return std::nullopt;
        const std::optional<qint64> key = LeadingValue(QLatin1Char('2') + number);
        if (!key || *key == kMobileKeyMax)
            return std::nullopt;
        return key;
    }
    return LeadingValue(number);
}

QString NumberFromKey(qint64 key) {
    const QString text = QString::number(key);
    if (key == kMobileKeyMax || !text.startsWith(QLatin1Char('2')))
        return text;
    return text.mid(1);
}

bool IsInternationalNumber(const QString& number) { return number.startsWith(QLatin1String("00")); }

NumberToken ParseNumberToken(const QString& line) {
    NumberToken token;
    token.digits = LeadingDigits(line, 16);
    if (token.digits.isEmpty())
        return token;
    if (token.digits.startsWith(QLatin1Char('2'))) {
        const std::optional<qint64> value = LeadingValue(token.digits);
        if (InMobileRange(value))
            token.key = value;
        return token;
    }
    token.key = NumberKey(token.digits);
    token.international = token.key && IsInternationalNumber(token.digits);
    return token;
}

bool NumbersMasked() { return !IsRightDenied(16); }

QString MaskNumber(const QString& number) {
    if (!NumbersMasked())
        return number;
    QString shown = number;
    for (int i = 3; i < 7 && i < shown.size(); ++i)
        shown[i] = QLatin1Char('*');
    return shown;
}

bool IsInternationalKey(qint64 key) {
    // The number begins with "00" exactly when the key's decimal digits begin
    // with "200": the key lies in [200 x 10^k, 201 x 10^k) for some k.
    // kMobileKeyMax ("20000000000") is the mobile number itself. Range tests,
    // not divisions: the lists classify every number they take.
    if (key == kMobileKeyMax)
        return false;
    for (qint64 low = 200;; low *= 10) {
        if (key < low)
            return false;
        if (key < low + low / 200)
            return true;
        if (low > std::numeric_limits<qint64>::max() / 10)
            return false;
    }
}

namespace {

template <typename Char> std::optional<qint64> RecipientKeyOf(const Char* data, size_t size) {
    if (size < 9 || size > 15)
        return std::nullopt;
    qint64 value = 0;
    for (size_t i = 0; i < size; ++i) {
        const auto c = static_cast<char32_t>(data[i]);
        if (c < U'0' || c > U'9')
            return std::nullopt;
        value = value * 10 + static_cast<qint64>(c - U'0');
    }
    if (size == 11 && value >= kMobileKeyMin && value <= kMobileKeyMax)
        return value;
    if (data[0] == Char('2'))
        return std::nullopt;
    if (data[0] == Char('0')) {
        // "2" followed by up to 15 digits still fits in 64 bits.
        qint64 power = 1;
        for (size_t i = 0; i < size; ++i)
            power *= 10;
        const qint64 key = 2 * power + value;
        if (key == kMobileKeyMax)
            return std::nullopt;
        return key;
    }
    return value;
}

} // namespace

std::optional<qint64> RecipientNumberKey(QStringView digits) {
    return RecipientKeyOf(digits.utf16(), static_cast<size_t>(digits.size()));
}

std::optional<qint64> RecipientNumberKey(std::string_view digits) {
    return RecipientKeyOf(digits.data(), digits.size());
}

// ---- Numbers in text files ---------------------------------------------------

void NumberRunScanner::Feed(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c < '0' || c > '9') {
            if (m_inDigits)
                EndRun();
            continue;
        }
        m_inDigits = true;
        if (m_runLength == 0 && c != '0' && c != '1')
            continue; // not yet a candidate
        // Only the digits of a candidate that can still be taken are kept; a
        // longer one is only counted.
        if (m_runLength < static_cast<size_t>(kImportRunMax))
            m_run.push_back(c);
        ++m_runLength;
    }
}

void NumberRunScanner::Finish() {
    if (m_inDigits)
        EndRun();
}

void NumberRunScanner::EndRun() {
    if (m_runLength > static_cast<size_t>(kImportRunMax))
        ++m_tooLong;
    else if (m_runLength >= static_cast<size_t>(kImportRunMin))
        m_found(m_run);
    m_run.clear();
    m_runLength = 0;
    m_inDigits = false;
}
