#include "core/log.h"

#include "core/convert.h"
#include "core/paths.h"
#include "platform/ini.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

LOG_FILE g_logRun;
LOG_FILE g_logSend;
LOG_FILE g_logSendInfo;

namespace {

std::mutex g_clockMutex;
LogClock g_clock;
// One echo time for every log written by LogWrite, one for the send records.
std::atomic<int64_t> g_lastLogEcho{0};
std::atomic<int64_t> g_lastSendInfoEcho{0};

std::chrono::system_clock::time_point Now() {
    std::lock_guard lock(g_clockMutex);
    return g_clock ? g_clock() : std::chrono::system_clock::now();
}

int64_t TickMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// "yyyy-mm-dd hh:mm:ss.mmm"
std::string Stamp(std::chrono::system_clock::time_point tp) {
    using namespace std::chrono;
    std::time_t t = system_clock::to_time_t(tp);
    int ms = static_cast<int>(duration_cast<milliseconds>(tp.time_since_epoch()).count() % 1000);
    if (ms < 0)
        ms += 1000;
    std::tm tm {};
    localtime_r(&t, &tm);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%4d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

std::string ToStd(const QString& s) { return UnicodeToUtf8(s); }

bool OpenLocked(LOG_FILE& log, std::string_view name, int enc, std::chrono::system_clock::time_point now) {
    if (log.file) {
        std::fclose(log.file);
        log.file = nullptr;
    }
    const std::string stamp = Stamp(now);
    log.date = stamp.substr(0, 10);
    log.name = std::string(name);
    log.enc = enc;

    std::string folder, base;
    LogFolderAndBase(name, folder, base);
    folder += enc ? "/enc" : "/Log";
    CreateDirectoryPathA(folder);
    std::string path = folder + "/" + base + "_" + log.date + (enc ? ".enc" : ".txt");
    log.file = std::fopen(path.c_str(), "ab");
    if (!log.file)
        return false;
    log.writeEnabled = true;
    log.lineCount = 0;
    std::fseek(log.file, 0, SEEK_END);
    std::string header = stamp + "日志日期\r\n";
    std::fwrite(header.data(), 1, header.size(), log.file);
    std::fflush(log.file);
    return true;
}

// The shared tail of LogWrite and SendInfoWrite: size check, echo, write.
void WriteLineLocked(LOG_FILE& log, const std::string& line, std::atomic<int64_t>& lastEcho) {
    if (log.lineCount++ > 1000) {
        log.lineCount = 0;
        // The file's size, not the stream position: an append stream keeps its
        // old position after the file was emptied, and the log would stay
        // stopped for the rest of the day.
        struct stat st {};
        if (::fstat(::fileno(log.file), &st) == 0)
            log.writeEnabled = static_cast<int64_t>(st.st_size) <= kLogSizeLimit;
    }
    if (log.echo) {
        int64_t now = TickMs();
        if (log.echoInterval <= 0 || now - lastEcho.load() > log.echoInterval) {
            lastEcho.store(now);
            if (log.echoCallback)
                log.echoCallback(log.echoUser, line.c_str());
            else
                LogConsoleWrite(line.c_str());
        }
    }
    if (log.writeEnabled) {
        std::fwrite(line.data(), 1, line.size(), log.file);
        std::fflush(log.file);
    }
}

} // namespace

void SetLogClock(LogClock clock) {
    std::lock_guard lock(g_clockMutex);
    g_clock = std::move(clock);
}

bool CreateDirectoryPathA(const std::string& path) {
    return CreateDirectoryTree(QFile::decodeName(QByteArray::fromStdString(path)));
}

void LogFolderAndBase(std::string_view name, std::string& folder, std::string& base) {
    const QString appDir = GetAppDirectory();
    QString root = ini::ReadString(appDir + QStringLiteral("/DLL_LOG.INI"), QStringLiteral("Set"),
                                   QStringLiteral("LogPath"), QString(), 200);
    // A root of one or two characters (not bytes: "日志" is no root either) is
    // no root: several programs share a root only when it is a real folder.
    const bool haveRoot = root.size() >= 3;
    // Paths written for Windows use "\"; the folder is created with "/" as
    // separator, so the file must be opened with the same one.
    root.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const std::string logPath = ToStd(root);
    std::string path(name);
    std::replace(path.begin(), path.end(), '\\', '/');
    size_t lastSlash = path.rfind('/');
    if (!path.empty() && path[0] == '/' && lastSlash != std::string::npos && lastSlash > 0) {
        base = path.substr(lastSlash + 1);
        folder = haveRoot ? logPath : path.substr(0, lastSlash);
        return;
    }
    base = path;
    if (haveRoot) {
        std::string app = ToStd(appDir);
        size_t s = app.rfind('/');
        folder = logPath + "/" + (s == std::string::npos ? app : app.substr(s + 1));
    } else {
        folder = ToStd(appDir);
    }
}

bool LogOpen(LOG_FILE& log, std::string_view name, int enc) {
    std::lock_guard lock(log.mutex);
    return OpenLocked(log, name, enc, Now());
}

void LogWrite(LOG_FILE& log, std::string_view text) {
    // The time is read under the lock: a thread that read it before another
    // thread's first line after midnight would otherwise reopen yesterday's
    // file, and the two files would swap back and forth with a header each time.
    std::lock_guard lock(log.mutex);
    const auto now = Now();
    const std::string stamp = Stamp(now);
    if (log.daily && stamp.compare(0, 10, log.date) != 0 && !log.name.empty())
        OpenLocked(log, std::string(log.name), log.enc, now);
    if (!log.file)
        return;
    std::string line;
    line.reserve(text.size() + 20);
    line.append(stamp, 11, std::string::npos);  // the date is in the file name
    line.append("  ");
    line.append(text);
    line.append("\r\n");
    WriteLineLocked(log, line, g_lastLogEcho);
}

void LogWriteString(LOG_FILE& log, const QString& text) { LogWrite(log, UnicodeToUtf8(text)); }

std::string LogEscape(std::string_view text) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out.push_back(digits[c >> 4]);
                out.push_back(digits[c & 0x0F]);
            } else {
                out.push_back(ch);
            }
        }
    }
    return out;
}

std::string LogEscape(const QString& text) {
    return LogEscape(UnicodeToUtf8(text));
}

void LogClose(LOG_FILE& log) {
    std::lock_guard lock(log.mutex);
    if (log.file) {
        std::fclose(log.file);
        log.file = nullptr;
    }
    log.writeEnabled = false;
    // Without a name the daily reopen cannot bring a closed log back (a worker
    // thread writing after exit's close on a new day would open a file nobody closes).
    log.name.clear();
}

void LogConsoleWrite(const char* text) {
    if (!text)
        return;
    // Yellow on a terminal, plain text into a pipe or file.
    if (::isatty(STDOUT_FILENO))
        std::fprintf(stdout, "\033[33m%s\033[0m", text);
    else
        std::fputs(text, stdout);
    std::fflush(stdout);
}

bool SendInfoOpen(const char* date) {
    if (!date)
        return false;
    std::string name;
    for (const char* p = date; *p && name.size() < 8; ++p)
        if (*p != '-')
            name.push_back(*p);
    // The name is a date; anything that could leave the folder is refused
    // (the folder rules read "\" as "/").
    if (name.empty() || name.find_first_of("/\\") != std::string::npos ||
        name.find("..") != std::string::npos)
        return false;
    std::string folder, base;
    LogFolderAndBase(name, folder, base);
    folder += "/SendInfo";
    CreateDirectoryPathA(folder);
    std::lock_guard lock(g_logSendInfo.mutex);
    if (g_logSendInfo.file)
        std::fclose(g_logSendInfo.file);
    g_logSendInfo.name = name;
    g_logSendInfo.file = std::fopen((folder + "/" + base + ".txt").c_str(), "ab");
    g_logSendInfo.writeEnabled = g_logSendInfo.file != nullptr;
    g_logSendInfo.lineCount = 0;
    return g_logSendInfo.file != nullptr;
}

void SendInfoWrite(std::string_view text) {
    std::lock_guard lock(g_logSendInfo.mutex);
    if (!g_logSendInfo.file)
        return;
    std::string line(text);
    line.append("\r\n");
    WriteLineLocked(g_logSendInfo, line, g_lastSendInfoEcho);
}

void SendInfoClose() { LogClose(g_logSendInfo); }
