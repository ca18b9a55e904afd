#include "core/log.h"

#include "tests/support/program_folder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::system_clock;
using std::chrono::milliseconds;

Clock::time_point LocalTime(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return Clock::from_time_t(std::mktime(&tm)) + milliseconds(ms);
}

std::string Header(const std::string& stamp) {
    return stamp + "日志日期\r\n";
}

int64_t FileSize(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

// A sparse file of the given size, with its folder.
void MakeSparseFile(const QString& path, int64_t size) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::ftruncate(fd, size), 0);
    ::close(fd);
}

// Every file under `root` whose content holds `marker`, as paths relative to
// `root` joined by blanks.
std::string FilesHolding(const QString& root, const QByteArray& marker) {
    QStringList found;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(marker))
            found << QDir(root).relativeFilePath(path);
    }
    found.sort();
    return found.join(QLatin1Char(' ')).toStdString();
}

// The names in a folder, joined by blanks.
std::string Entries(const QString& folder) {
    return QDir(folder)
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
        .join(QLatin1Char(' '))
        .toStdString();
}

// A log record that is closed however the test ends.
struct ScopedLog {
    explicit ScopedLog(int daily = 1) { log.daily = daily; }
    ~ScopedLog() { LogClose(log); }
    LOG_FILE log;
};

// A program folder and a clock the test sets. Each reading of the clock moves
// it on by m_step, so a test can also let time run while threads write.
class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = std::make_unique<ProgramFolder>();
        setTime(LocalTime(2024, 5, 1, 12, 0, 0));
        SetLogClock([this] { return Clock::time_point(Clock::duration(m_now.fetch_add(m_step.load()))); });
    }
    void TearDown() override {
        SetLogClock(nullptr);
        SendInfoClose();
        m_folder.reset();
    }

    void setTime(Clock::time_point tp) { m_now = tp.time_since_epoch().count(); }
    std::string read(const QString& relative) const { return m_folder->readFile(relative).toStdString(); }
    bool exists(const QString& relative) const { return QFileInfo::exists(m_folder->file(relative)); }

    std::unique_ptr<ProgramFolder> m_folder;
    std::atomic<Clock::rep> m_now{0};
    std::atomic<Clock::rep> m_step{0};
};

// ---- Daily files and line format ----------------------------------------------

TEST_F(LogTest, DailyLogMovesToANewFileWithItsOwnHeaderAtMidnight) {
    ScopedLog run;      // the run log: daily, enc
    ScopedLog fixed(0); // not daily: keeps the file it opened
    setTime(LocalTime(2024, 5, 1, 23, 59, 58, 250));
    ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
    ASSERT_TRUE(LogOpen(fixed.log, "fixed.txt", 0));

    setTime(LocalTime(2024, 5, 1, 23, 59, 59, 999));
    LogWrite(run.log, "before");
    LogWrite(fixed.log, "before");
    setTime(LocalTime(2024, 5, 2, 0, 0, 0, 0));
    LogWrite(run.log, "after");
    LogWrite(fixed.log, "after");
    setTime(LocalTime(2024, 5, 2, 0, 0, 1, 500));
    LogWrite(run.log, "later");

    EXPECT_EQ(read("enc/run.txt_2024-05-01.enc"),
              Header("2024-05-01 23:59:58.250") + "23:59:59.999  before\r\n");
    EXPECT_EQ(read("enc/run.txt_2024-05-02.enc"),
              Header("2024-05-02 00:00:00.000") + "00:00:00.000  after\r\n00:00:01.500  later\r\n");
    EXPECT_EQ(run.log.date, "2024-05-02");

    EXPECT_EQ(read("Log/fixed.txt_2024-05-01.txt"),
              Header("2024-05-01 23:59:58.250") + "23:59:59.999  before\r\n00:00:00.000  after\r\n");
    EXPECT_FALSE(exists("Log/fixed.txt_2024-05-02.txt"));
}

TEST_F(LogTest, LineIsTimeOfDayTwoBlanksTheWholeTextAndCrlf) {
    ScopedLog run;
    setTime(LocalTime(2024, 5, 1, 9, 5, 7, 42));
    ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
    const std::string longText = std::string(100000, 'x') + "end";
    LogWrite(run.log, "INFO,登录成功");
    LogWrite(run.log, longText);
    LogWriteString(run.log, QStringLiteral("ERROR,发送失败 ↓"));
    LogWrite(run.log, "");

    // Opening again on the same day appends to the file.
    LogClose(run.log);
    setTime(LocalTime(2024, 5, 1, 9, 5, 8, 0));
    ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
    LogWrite(run.log, "again");

    EXPECT_EQ(read("enc/run.txt_2024-05-01.enc"),
              Header("2024-05-01 09:05:07.042") + "09:05:07.042  INFO,登录成功\r\n" + "09:05:07.042  " +
                  longText + "\r\n" + "09:05:07.042  ERROR,发送失败 ↓\r\n" + "09:05:07.042  \r\n" +
                  Header("2024-05-01 09:05:08.000") + "09:05:08.000  again\r\n");
}

// ---- Folder rules of DLL_LOG.INI -------------------------------------------------

// Runs the test inside the program folder, so that a relative LogPath wrongly
// taken as a root ends up where the test looks, not in the build folder.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& folder) : m_old(QDir::currentPath()) { QDir::setCurrent(folder); }
    ~WorkingFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

TEST_F(LogTest, FolderFollowsLogPathAndTheFullPathName) {
    enum Opener { Log, SendInfo };
    struct Case {
        const char* what;
        std::optional<QString> logPath; // no value: no DLL_LOG.INI
        Opener opener;
        const char* name; // "{app}" is the program folder
        int enc;
        const char* expected; // "{leaf}" is the last component of the program folder
    };
    const Case cases[] = {
        {"no DLL_LOG.INI", std::nullopt, Log, "run.txt", 1, "{app}/enc/run.txt_2024-05-01.enc"},
        {"empty LogPath, plain log", QString(), Log, "qx.txt", 0, "{app}/Log/qx.txt_2024-05-01.txt"},
        {"one character is no root", "L", Log, "run.txt", 1, "{app}/enc/run.txt_2024-05-01.enc"},
        {"two characters are no root", "lg", Log, "run.txt", 0, "{app}/Log/run.txt_2024-05-01.txt"},
        {"two Chinese characters are no root", "日志", Log, "run.txt", 1, "{app}/enc/run.txt_2024-05-01.enc"},
        {"three characters are a root", "abc", Log, "run.txt", 1,
         "{app}/abc/{leaf}/enc/run.txt_2024-05-01.enc"},
        {"root shared by programs", "{app}/root", Log, "run.txt", 1,
         "{app}/root/{leaf}/enc/run.txt_2024-05-01.enc"},
        {"root written with backslashes", "{app}\\win\\root", Log, "qx.txt", 0,
         "{app}/win/root/{leaf}/Log/qx.txt_2024-05-01.txt"},
        {"full path name", std::nullopt, Log, "{app}/own/dir/run.txt", 1,
         "{app}/own/dir/enc/run.txt_2024-05-01.enc"},
        {"full path name, short LogPath", "lg", Log, "{app}/own/run.txt", 0,
         "{app}/own/Log/run.txt_2024-05-01.txt"},
        {"full path name, LogPath wins", "{app}/root", Log, "{app}/own/run.txt", 1,
         "{app}/root/enc/run.txt_2024-05-01.enc"},
        {"full path name with backslashes", std::nullopt, Log, "{app}\\bs\\run.txt", 1,
         "{app}/bs/enc/run.txt_2024-05-01.enc"},
        {"send records", std::nullopt, SendInfo, "2024-05-01", 0, "{app}/SendInfo/20240501.txt"},
        {"send records, short LogPath", "L", SendInfo, "20240501", 0, "{app}/SendInfo/20240501.txt"},
        {"send records under a root", "{app}/root", SendInfo, "20240501", 0,
         "{app}/root/{leaf}/SendInfo/20240501.txt"},
    };

    const QString app = m_folder->path();
    const QString leaf = QFileInfo(app).fileName();
    auto expand = [&](QString s) { return s.replace(QStringLiteral("{app}"), app); };
    WorkingFolder inApp(app);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(m_folder->file("DLL_LOG.INI"));
        if (c.logPath)
            m_folder->writeFile("DLL_LOG.INI", "[Set]\r\nLogPath=" + expand(*c.logPath).toUtf8() + "\r\n");
        const QByteArray marker = "marker-" + QByteArray::number(++n) + ";";
        const std::string name = expand(QString::fromUtf8(c.name)).toStdString();
        if (c.opener == Log) {
            ScopedLog log(0);
            ASSERT_TRUE(LogOpen(log.log, name, c.enc));
            LogWrite(log.log, marker.toStdString());
        } else {
            ASSERT_TRUE(SendInfoOpen(name.c_str()));
            SendInfoWrite(marker.toStdString());
            SendInfoClose();
        }
        const QString expected =
            expand(QString::fromUtf8(c.expected)).replace(QStringLiteral("{leaf}"), leaf);
        EXPECT_EQ(FilesHolding(app, marker), QDir(app).relativeFilePath(expected).toStdString());
    }
}

// ---- Size stop -------------------------------------------------------------------

TEST_F(LogTest, FileOverFiveGiBTakesNoLinesFromTheNextSizeCheckOn) {
    const QString path = m_folder->file("enc/run.txt_2024-05-01.enc");
    const std::string line = "12:00:00.000  INFO,x\r\n";
    const int64_t header = static_cast<int64_t>(Header("2024-05-01 12:00:00.000").size());
    const int64_t lineSize = static_cast<int64_t>(line.size());
    // Lines 1 to 1001 go into the file; the size is read before line 1002.
    const int64_t atCheck = header + 1001 * lineSize;

    struct Case {
        const char* what;
        int64_t startSize;
        bool keepsWriting;
    };
    const Case cases[] = {
        {"exactly the limit at the check", kLogSizeLimit - atCheck, true},
        {"one byte over the limit at the check", kLogSizeLimit - atCheck + 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeSparseFile(path, c.startSize);
        ScopedLog run;
        ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
        for (int i = 0; i < 1001; ++i)
            LogWrite(run.log, "INFO,x");
        ASSERT_EQ(FileSize(path), c.startSize + atCheck);
        // At the limit the log goes on up to the next check, which finds it over.
        for (int i = 0; i < 3000; ++i)
            LogWrite(run.log, "INFO,x");
        EXPECT_EQ(FileSize(path), c.startSize + atCheck + (c.keepsWriting ? 1002 * lineSize : 0));
    }

    // A stopped log writes again once a check finds the file small: here the
    // next day's file.
    ScopedLog run;
    ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
    for (int i = 0; i < 1002; ++i)
        LogWrite(run.log, "INFO,x");
    const int64_t stopped = FileSize(path);
    LogWrite(run.log, "INFO,x");
    ASSERT_EQ(FileSize(path), stopped);
    setTime(LocalTime(2024, 5, 2, 0, 0, 0, 0));
    LogWrite(run.log, "next day");
    EXPECT_EQ(read("enc/run.txt_2024-05-02.enc"),
              Header("2024-05-02 00:00:00.000") + "00:00:00.000  next day\r\n");
    EXPECT_EQ(FileSize(path), stopped);
}

TEST_F(LogTest, StoppedLogWritesAgainWhenTheFileHasShrunk) {
    const QString path = m_folder->file("enc/run.txt_2024-05-01.enc");
    MakeSparseFile(path, kLogSizeLimit + 1);
    ScopedLog run;
    ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
    for (int i = 0; i < 1002; ++i)
        LogWrite(run.log, "INFO,x");
    ASSERT_FALSE(run.log.writeEnabled);

    // Someone empties the file while the program runs.
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), 0), 0);
    for (int i = 0; i < 1001; ++i)
        LogWrite(run.log, "INFO,x");
    LogWrite(run.log, "INFO,back"); // the next size check
    EXPECT_TRUE(run.log.writeEnabled);
    EXPECT_EQ(read("enc/run.txt_2024-05-01.enc"), "12:00:00.000  INFO,back\r\n");
}

// ---- Threads ---------------------------------------------------------------------

TEST_F(LogTest, ThreadsWritingAcrossMidnightKeepEveryLineWholeAndOnce) {
    constexpr int kThreads = 8;
    constexpr int kLines = 2000;
    // The clock moves 1 ms with every reading, so midnight falls half-way.
    setTime(LocalTime(2024, 5, 1, 23, 59, 52, 0));
    m_step = std::chrono::duration_cast<Clock::duration>(milliseconds(1)).count();
    auto text = [](int t, int i) {
        std::string s = "T" + std::to_string(t) + " #" + std::to_string(i) + " ";
        for (int k = 0; k < 60; ++k)
            s.push_back(static_cast<char>('a' + (t * 7 + i + k) % 26));
        return s;
    };

    {
        ScopedLog run;
        ASSERT_TRUE(LogOpen(run.log, "run.txt", 1));
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < kLines; ++i)
                    LogWrite(run.log, text(t, i));
            });
        for (auto& th : threads)
            th.join();
    }
    m_step = 0;

    std::vector<std::vector<int>> seen(kThreads, std::vector<int>(kLines, 0));
    const QRegularExpression lineRe(
        QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)  T(\\d+) #(\\d+) [a-z]{60}$"));
    struct Day {
        const char* file;
        const char* date;
        const char* hour;
    };
    for (const Day& day : {Day{"enc/run.txt_2024-05-01.enc", "2024-05-01 ", "23:"},
                           Day{"enc/run.txt_2024-05-02.enc", "2024-05-02 ", "00:"}}) {
        SCOPED_TRACE(day.file);
        const QString content = QString::fromUtf8(read(day.file));
        ASSERT_TRUE(content.endsWith(QStringLiteral("\r\n")));
        QStringList lines = content.split(QStringLiteral("\r\n"));
        lines.removeLast();
        ASSERT_GT(lines.size(), 1);
        // One header, first; midnight must not make the writers reopen a file twice.
        EXPECT_TRUE(lines.front().startsWith(QString::fromLatin1(day.date)) &&
                    lines.front().endsWith(QStringLiteral("日志日期")))
            << lines.front().toStdString();
        EXPECT_EQ(content.count(QStringLiteral("日志日期")), 1);

        QString previous;
        int bad = 0;
        int unordered = 0;
        for (qsizetype k = 1; k < lines.size(); ++k) {
            const auto m = lineRe.match(lines[k]);
            const int t = m.hasMatch() ? m.captured(2).toInt() : -1;
            const int i = m.hasMatch() ? m.captured(3).toInt() : -1;
            if (t < 0 || t >= kThreads || i < 0 || i >= kLines ||
                lines[k].mid(14) != QString::fromStdString(text(t, i)) || !lines[k].startsWith(day.hour)) {
                if (bad++ == 0)
                    ADD_FAILURE() << "bad line " << k << ": " << lines[k].toStdString();
                continue;
            }
            ++seen[t][i];
            if (m.captured(1) < previous)
                ++unordered;
            previous = m.captured(1);
        }
        EXPECT_EQ(bad, 0);
        EXPECT_EQ(unordered, 0) << "lines out of time order";
    }
    int missing = 0;
    int repeated = 0;
    for (const auto& thread : seen)
        for (int count : thread) {
            missing += count == 0;
            repeated += count > 1;
        }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(repeated, 0);
}

// ---- Send records ----------------------------------------------------------------

TEST_F(LogTest, SendRecordsGoToTheDateFileAsBareLines) {
    struct Case {
        const char* date;
        const char* file;
    };
    const Case cases[] = {
        {"2024-05-01", "SendInfo/20240501.txt"},
        {"20240502", "SendInfo/20240502.txt"},
        {"2024-05-03 10:00:00", "SendInfo/20240503.txt"}, // eight characters once the dashes are gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        ASSERT_TRUE(SendInfoOpen(c.date));
        SendInfoWrite("13800000000,成功");
        SendInfoWrite("13900000000,失败");
        SendInfoClose();
        EXPECT_EQ(read(c.file), "13800000000,成功\r\n13900000000,失败\r\n");
    }
    // The day's file is appended to, never started over.
    ASSERT_TRUE(SendInfoOpen("2024-05-01"));
    SendInfoWrite("13700000000,成功");
    SendInfoClose();
    EXPECT_EQ(read("SendInfo/20240501.txt"), "13800000000,成功\r\n13900000000,失败\r\n13700000000,成功\r\n");
}

TEST_F(LogTest, SendRecordsRefuseNamesThatAreNoDateAndKeepTheOpenFile) {
    ASSERT_TRUE(SendInfoOpen("2024-05-01"));
    for (const char* name : {static_cast<const char*>(nullptr), "", "--", "..", "../x", "/etc/x", "a/b",
                             "..\\x", "a\\b", "\\etc"}) {
        EXPECT_FALSE(SendInfoOpen(name)) << (name ? name : "(null)");
    }
    SendInfoWrite("still open");
    SendInfoClose();
    EXPECT_EQ(read("SendInfo/20240501.txt"), "still open\r\n");
    EXPECT_EQ(Entries(m_folder->file("SendInfo")), "20240501.txt");
    EXPECT_EQ(Entries(m_folder->path()), "SendInfo");
}

// ---- Closed logs -----------------------------------------------------------------

TEST_F(LogTest, ClosedOrUnopenedLogDropsLinesSilently) {
    LOG_FILE never;
    never.daily = 1;
    LogWrite(never, "dropped");
    LogWriteString(never, QStringLiteral("dropped"));
    EXPECT_EQ(never.file, nullptr);
    SendInfoWrite("dropped"); // no send-record file open

    // The open fails where a file stands in place of the folder "enc".
    m_folder->writeFile("enc", "not a folder");
    {
        ScopedLog blocked;
        EXPECT_FALSE(LogOpen(blocked.log, "run.txt", 1));
        LogWrite(blocked.log, "dropped");
        EXPECT_EQ(blocked.log.file, nullptr);
    }

    // A log closed by its owner stays closed, also when the day changes.
    ScopedLog run;
    ASSERT_TRUE(LogOpen(run.log, "qx.txt", 0));
    LogWrite(run.log, "kept");
    LogClose(run.log);
    LogWrite(run.log, "dropped");
    setTime(LocalTime(2024, 5, 2, 0, 0, 0, 0));
    LogWrite(run.log, "dropped");
    EXPECT_EQ(run.log.file, nullptr);

    EXPECT_EQ(read("Log/qx.txt_2024-05-01.txt"),
              Header("2024-05-01 12:00:00.000") + "12:00:00.000  kept\r\n");
    EXPECT_EQ(FilesHolding(m_folder->path(), "dropped"), "");
    EXPECT_EQ(Entries(m_folder->file("Log")), "qx.txt_2024-05-01.txt");
}

TEST(LogEscape, OutsideTextStaysOnOneLineAndReadsBack) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"SendSMS,|,|1\r\nERROR,forged", "SendSMS,|,|1\\r\\nERROR,forged"},
        {"tab\there", "tab\\there"},
        {std::string("nul\0bell\a esc\x1b del\x7f", 19), "nul\\x00bell\\x07 esc\\x1B del\\x7F"},
        {"C:\\dir\\n.txt", "C:\\\\dir\\\\n.txt"}, // a backslash cannot pass for an escape
        {"中文 and UTF-8 stay", "中文 and UTF-8 stay"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LogEscape(c.in), c.out) << c.in;
    EXPECT_EQ(LogEscape(QStringLiteral("名单\n.xls")), "名单\\n.xls");
}

} // namespace
