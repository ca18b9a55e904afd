#include "core/convert.h"

#include "platform/encoding.h"

#include <cstring>

std::string UnicodeToUtf8(QStringView text) {
    QByteArray b = text.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

QString Utf8ToUnicode(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string UnicodeToAnsi(QStringView text) { return enc::ToGbk(text); }

QString AnsiToUnicode(std::string_view text) { return enc::FromGbk(text); }

std::string AnsiToUtf8(std::string_view text) { return UnicodeToUtf8(enc::FromGbk(text)); }

std::string Utf8ToAnsi(std::string_view text) { return enc::ToGbk(Utf8ToUnicode(text)); }

int Utf8ToUnicodeBuf(std::string_view text, char16_t* buffer, int n) {
    if (!buffer || n <= 0)
        return 0;
    std::memset(buffer, 0, sizeof(char16_t) * static_cast<size_t>(n));
    QString s = Utf8ToUnicode(text);
    qsizetype len = s.size();
    if (len > n - 1) {
        len = n - 1;
        // Never leave half of a surrogate pair at the end.
        if (len > 0 && QChar::isHighSurrogate(s[len - 1].unicode()))
            --len;
    }
    std::memcpy(buffer, s.utf16(), sizeof(char16_t) * static_cast<size_t>(len));
    return static_cast<int>(len);
}

int UnicodeToUtf8Buf(QStringView text, char* buffer, int n) {
    if (!buffer || n <= 0)
        return 0;
    std::memset(buffer, 0, static_cast<size_t>(n));
    std::string s = UnicodeToUtf8(text);
    if (s.size() + 1 > static_cast<size_t>(n))
        return 0;
    std::memcpy(buffer, s.data(), s.size());
    return static_cast<int>(s.size());
}
