#pragma once
// Text between the user interface (UTF-16 QString), SQLite and the service
// (UTF-8) and the "ANSI" byte texts (code page 936). Every result is an owned
// value; nothing is left for the caller to free.
#include <QString>
#include <string>
#include <string_view>

std::string UnicodeToUtf8(QStringView text);
QString Utf8ToUnicode(std::string_view text);
std::string UnicodeToAnsi(QStringView text);
QString AnsiToUnicode(std::string_view text);
std::string AnsiToUtf8(std::string_view text);
std::string Utf8ToAnsi(std::string_view text);

// Into a caller's buffer of n UTF-16 units, always terminated. A text that
// does not fit is cut at a character boundary. Returns the units written.
int Utf8ToUnicodeBuf(std::string_view text, char16_t* buffer, int n);
// Into a caller's buffer of n bytes, cleared first. A text whose UTF-8 form
// with its terminator needs more than n bytes converts to nothing: 0.
// Otherwise returns the bytes written, without the terminator.
int UnicodeToUtf8Buf(QStringView text, char* buffer, int n);
