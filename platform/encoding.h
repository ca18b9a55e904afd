#pragma once
// Code page 936 (GBK) text, the "ANSI" encoding of the systems this program
// serves: the service's byte texts, the pinyin sort order, old settings files.
// The tables come from glibc iconv ("CP936") once; conversions then need no
// iconv call per character.
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>

namespace enc {

// The code page 936 bytes of one UTF-16 code unit: 0..0x7F and 0x80 ('€')
// are single bytes, double-byte characters are lead<<8|trail. Characters
// GBK cannot hold give '?'.
uint16_t GbkOfCodeUnit(char16_t c);

// UTF-16 text to code page 936 bytes; unmappable characters (also a
// surrogate pair, counted once) become '?'.
std::string ToGbk(QStringView text);
// Code page 936 bytes to UTF-16; an invalid byte becomes U+FFFD.
QString FromGbk(std::string_view bytes);
// How many bytes FromGbk reads as one character at a byte `lead` followed by
// `trail`: 2 for a double-byte character (or an invalid pair whose second
// byte is not ASCII), else 1. Lets a reader find characters without decoding.
int GbkCharLength(unsigned char lead, unsigned char trail);

bool IsValidUtf8(std::string_view bytes);

// Text of unknown origin (settings files, server answers): valid UTF-8 is
// read as UTF-8, anything else as code page 936.
QString DecodeText(std::string_view bytes);

} // namespace enc
