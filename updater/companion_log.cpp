#include "updater/companion_log.h"

#include "core/paths.h"
#include "platform/encoding.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <ctime>
#include <string>
#include <sys/stat.h>

namespace companion {
namespace {

struct DayLog {
    std::FILE* file = nullptr;
    bool scrambled = true;
    std::string date; // "yyyy-mm-dd" of the open file
    QString name;
    QString path;
    int lineCount = 0;
    bool stopped = false; // past the size limit: the rest of the run is dropped
};

DayLog g_log;
LogClock g_clock;

std::chrono::system_clock::time_point Now() {
    return g_clock ? g_clock() : std::chrono::system_clock::now();
}

std::tm LocalTime(std::chrono::system_clock::time_point tp) {
    const std::time_t t = std::chrono::system_clock::to_time_t(tp);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

std::string DateOf(const std::tm& tm) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    return buf;
}

bool OpenFor(std::chrono::system_clock::time_point now) {
    if (g_log.file) {
        std::fclose(g_log.file);
        g_log.file = nullptr;
    }
    g_log.path.clear();
    g_log.date = DateOf(LocalTime(now));
    const QString folder =
        GetAppDirectory() + (g_log.scrambled ? QStringLiteral("/enc") : QStringLiteral("/Log"));
    QDir().mkdir(folder);
    const QString path = folder + QLatin1Char('/') + g_log.name + QLatin1Char('_') +
                         QString::fromLatin1(g_log.date.c_str()) +
                         (g_log.scrambled ? QStringLiteral(".enc") : QStringLiteral(".txt"));
    g_log.file = std::fopen(QFile::encodeName(path).constData(), "abe");
    if (!g_log.file)
        return false;
    std::fseek(g_log.file, 0, SEEK_END);
    g_log.path = path;
    return true;
}

} // namespace

bool LogOpen(const QString& name, bool scrambled) {
    g_log.name = name.left(260);
    g_log.scrambled = scrambled;
    g_log.lineCount = 0;
    g_log.stopped = false;
    return OpenFor(Now());
}

void LogWrite(std::string_view text) {
    using namespace std::chrono;
    const auto now = Now();
    const std::tm tm = LocalTime(now);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    if (ms < 0)
        ms += 1000;
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "\r\n%4d-%02d-%02d %02d:%02d:%02d.%03d  ", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    if (!g_log.name.isEmpty() && DateOf(tm) != g_log.date)
        OpenFor(now);
    if (!g_log.file || g_log.stopped)
        return;
    if (g_log.lineCount++ > 1000) {
        g_log.lineCount = 0;
        struct stat st {};
        if (::fstat(fileno(g_log.file), &st) == 0 && st.st_size > kLogStopSize) {
            g_log.stopped = true;
            return;
        }
    }
    std::string record(stamp);
    record.append(text.data(), text.size());
    if (g_log.scrambled)
        for (char& c : record)
            c = static_cast<char>(static_cast<unsigned char>(c) ^ kLogKey);
    std::fwrite(record.data(), 1, record.size(), g_log.file);
    std::fflush(g_log.file);
}

void LogWriteW(const QString& text) {
    LogWrite(enc::ToGbk(text));
}

void LogClose() {
    if (g_log.file)
        std::fclose(g_log.file);
    g_log = DayLog{};
}

QString LogPath() {
    return g_log.path;
}

QString LogEscapeW(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F)
            out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else if (u == u'\\')
            out += QStringLiteral("\\\\");
        else
            out += c;
    }
    return out;
}

void SetLogClock(LogClock clock) {
    g_clock = std::move(clock);
}

} // namespace companion
