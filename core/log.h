#pragma once
// Daily plain-text logs (UTF-8). Each LOG_FILE is one log: its open file, the
// date of that file, the flags that choose folder and reopening, and a
// counter for the occasional size check. A mutex makes reopen-and-write one
// step, so threads that share a log (the run log) never tear a line or race
// the midnight reopen.
#include <QString>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

using LogEchoCallback = void (*)(uintptr_t user, const char* text);

struct LOG_FILE {
    std::FILE* file = nullptr;
    int daily = 0;          // reopen on a new date
    int enc = 0;            // folder "enc" and extension ".enc", else "Log" and ".txt"
    bool writeEnabled = false;  // cleared while the file is larger than 5 GiB
    bool echo = false;
    int echoInterval = 0;   // ms between echoes; <= 0 echoes every line
    std::string date;       // "yyyy-mm-dd" of the open file
    std::string name;       // base name (or full path) given to LogOpen
    int lineCount = 0;
    LogEchoCallback echoCallback = nullptr;
    uintptr_t echoUser = 0;
    std::mutex mutex;
};

// The program's logs.
extern LOG_FILE g_logRun;       // "run.txt": every INFO and ERROR line, SQL failures, service calls
extern LOG_FILE g_logSend;      // "qx.txt": one line per submitted batch
extern LOG_FILE g_logSendInfo;  // SendInfo/<yyyymmdd>.txt: one line per number sent

// Files larger than this stop receiving lines until a later check finds them smaller.
constexpr int64_t kLogSizeLimit = 5368709120LL;

// `name` is a base name ("run.txt") or an absolute path whose folder is used.
bool LogOpen(LOG_FILE& log, std::string_view name, int enc);
void LogWrite(LOG_FILE& log, std::string_view text);
void LogWriteString(LOG_FILE& log, const QString& text);
void LogClose(LOG_FILE& log);

// Text from outside (file names, add-in commands, service answers) made safe
// for one log line: control characters (below 0x20, and 0x7F) become "\r",
// "\n", "\t" or "\xHH", and a backslash becomes "\\", so such a text can
// neither break a line nor forge one. Other bytes stay as they are.
std::string LogEscape(std::string_view text);
std::string LogEscape(const QString& text);
void LogConsoleWrite(const char* text);

// The send-record file SendInfo/<yyyymmdd>.txt; `date` may carry dashes.
bool SendInfoOpen(const char* date);
void SendInfoWrite(std::string_view text);
void SendInfoClose();

// Creates every missing folder of a path ("\" read as "/").
bool CreateDirectoryPathA(const std::string& path);

// The folder a log named `name` goes to (before "enc"/"Log"/"SendInfo"), and
// its base name, by the rules of DLL_LOG.INI.
void LogFolderAndBase(std::string_view name, std::string& folder, std::string& base);

// Tests move the clock; the default is the system clock.
using LogClock = std::function<std::chrono::system_clock::time_point()>;
void SetLogClock(LogClock clock);
