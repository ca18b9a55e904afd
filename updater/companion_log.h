#pragma once
// The companions' day log: "<program folder>/enc/<name>_<yyyy-mm-dd>.enc"
// (or "Log/<name>_<date>.txt" unscrambled). Each record is CR LF, the stamp
// "yyyy-mm-dd hh:mm:ss.mmm", two blanks and the text; a scrambled log XORs
// every byte with 0x5C. Each record is flushed, so a killed program loses
// nothing. The file reopens on a new date; past 300 MiB (checked every
// thousand records) the rest of the run is dropped. Single-threaded, like
// the programs that use it. Failures are silent.
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

namespace companion {

inline constexpr unsigned char kLogKey = 0x5C;
inline constexpr int64_t kLogStopSize = 314572800;

// Opens (or reopens) the log `name` ("update", "convert"), daily; false when
// the file cannot be opened, after which every record is dropped.
bool LogOpen(const QString& name, bool scrambled = true);
// Writes a record of bytes as they are (code page 936 or ASCII).
void LogWrite(std::string_view text);
// Writes a record of text, converted to code page 936.
void LogWriteW(const QString& text);
void LogClose();
// The path of the open file; empty when closed.
QString LogPath();

// Text from outside (keys, paths, addresses) made safe for one record:
// control characters become "\xHH" and a backslash "\\".
QString LogEscapeW(const QString& text);

// Tests move the clock; null returns to the system clock.
using LogClock = std::function<std::chrono::system_clock::time_point()>;
void SetLogClock(LogClock clock);

} // namespace companion
