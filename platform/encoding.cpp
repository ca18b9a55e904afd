#include "platform/encoding.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace enc {
namespace {

struct GbkTables {
    std::array<uint16_t, 0x10000> encode{};  // UTF-16 code unit -> GBK
    std::array<char16_t, 0x8000> decode{};   // (lead-0x80)<<8|trail for lead >= 0x81
    char16_t single80 = u'\uFFFD';            // what the single byte 0x80 means
};

GbkTables* BuildTables() {
    auto* t = new GbkTables;
    t->encode.fill('?');
    t->decode.fill(u'\uFFFD');
    for (uint32_t c = 0; c < 0x80; ++c)
        t->encode[c] = static_cast<uint16_t>(c);

    iconv_t cd = iconv_open("UTF-16LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return t;
    auto decodeOne = [&](const char* in, size_t inLen) -> int {
        char inBuf[2] = {in[0], inLen > 1 ? in[1] : '\0'};
        char outBuf[8];
        char* ip = inBuf;
        char* op = outBuf;
        size_t il = inLen, ol = sizeof outBuf;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1) || il != 0 || op - outBuf != 2)
            return -1;
        return static_cast<unsigned char>(outBuf[0]) | (static_cast<unsigned char>(outBuf[1]) << 8);
    };
    // The single byte 0x80 is the euro sign in glibc's CP936.
    char b80 = static_cast<char>(0x80);
    int e = decodeOne(&b80, 1);
    if (e >= 0) {
        t->single80 = static_cast<char16_t>(e);
        t->encode[e] = 0x80;
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            int u = decodeOne(in, 2);
            if (u < 0 || (u >= 0xD800 && u <= 0xDFFF))
                continue;
            uint16_t code = static_cast<uint16_t>(lead << 8 | trail);
            t->decode[(lead - 0x80) << 8 | trail] = static_cast<char16_t>(u);
            // Keep the first GBK code of a character (iconv maps a few twice).
            if (t->encode[u] == '?' && u != '?')
                t->encode[u] = code;
        }
    }
    iconv_close(cd);
    return t;
}

const GbkTables& Tables() {
    static const std::unique_ptr<GbkTables> tables(BuildTables());
    return *tables;
}

} // namespace

uint16_t GbkOfCodeUnit(char16_t c) {
    if (c < 0x80)
        return c;
    return Tables().encode[c];
}

std::string ToGbk(QStringView text) {
    const auto& t = Tables();
    std::string out;
    out.reserve(static_cast<size_t>(text.size()) * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        char16_t c = text[i].unicode();
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        if (QChar::isHighSurrogate(c)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
                ++i;
            out.push_back('?');
            continue;
        }
        uint16_t g = t.encode[c];
        if (g > 0xFF) {
            out.push_back(static_cast<char>(g >> 8));
            out.push_back(static_cast<char>(g & 0xFF));
        } else {
            out.push_back(static_cast<char>(g));
        }
    }
    return out;
}

QString FromGbk(std::string_view bytes) {
    const auto& t = Tables();
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
        } else if (b == 0x80) {
            out.append(QChar(t.single80));
        } else if (b == 0xFF || i + 1 >= bytes.size()) {
            out.append(QChar(0xFFFD));
        } else {
            unsigned char trail = static_cast<unsigned char>(bytes[i + 1]);
            char16_t u = (trail >= 0x40 && trail != 0x7F && trail != 0xFF) ? t.decode[(b - 0x80) << 8 | trail]
                                                                          : u'\uFFFD';
            if (u == u'\uFFFD' && trail < 0x80) {
                // An invalid pair: only the lead byte is lost, the ASCII byte stays.
                out.append(QChar(0xFFFD));
                continue;
            }
            out.append(QChar(u));
            ++i;
        }
    }
    return out;
}

int GbkCharLength(unsigned char lead, unsigned char trail) {
    if (lead <= 0x80 || lead == 0xFF)
        return 1;
    if (trail >= 0x80)
        return 2;
    // An ASCII second byte belongs to the character only when the pair is one.
    if (trail < 0x40 || trail == 0x7F)
        return 1;
    return Tables().decode[(lead - 0x80) << 8 | trail] != u'\uFFFD' ? 2 : 1;
}

bool IsValidUtf8(std::string_view s) {
    size_t i = 0, n = s.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (cc & 0x3F);
        }
        if ((len == 2 && cp < 0x80) || (len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

QString DecodeText(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    return FromGbk(bytes);
}

} // namespace enc
