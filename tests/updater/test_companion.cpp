// The companions' utilities and day log.
#include "tests/updater/updater_sandbox.h"
#include "updater/companion_log.h"
#include "updater/companion_utils.h"
#include "updater/confined_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using UpdaterUtilities = UpdaterSandbox;

TEST_F(UpdaterUtilities, CreateFolderPathMakesEachLevelAndRefusesRelativePaths) {
    EXPECT_TRUE(CreateFolderPath(prog(QStringLiteral("a/b/"))));
    EXPECT_TRUE(QFileInfo(prog(QStringLiteral("a/b"))).isDir());
    EXPECT_TRUE(CreateFolderPath(prog(QStringLiteral("c\\d\\e"))));
    EXPECT_TRUE(QFileInfo(prog(QStringLiteral("c/d/e"))).isDir());
    EXPECT_TRUE(CreateFolderPath(prog(QStringLiteral("a/b")))); // exists already

    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(root()));
    EXPECT_FALSE(CreateFolderPath(QStringLiteral("rel/x")));
    EXPECT_FALSE(QFileInfo::exists(root() + QStringLiteral("/rel")));
    QDir::setCurrent(cwd);
}

TEST_F(UpdaterUtilities, GetTimeStringFormatsLocalTime) {
    std::tm tm{};
    tm.tm_year = 2012 - 1900;
    tm.tm_mon = 5;
    tm.tm_mday = 9;
    tm.tm_hour = 7;
    tm.tm_min = 5;
    tm.tm_sec = 3;
    tm.tm_isdst = -1;
    EXPECT_EQ(GetTimeString(std::mktime(&tm)), QStringLiteral("2012-06-09 07_05_03"));
}

TEST_F(UpdaterUtilities, UrlEncodePathEscapesOnlyWhatBreaksAPath) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        {"/upd/a b.txt", "/upd/a%20b.txt"},         {"/upd/中.dll", "/upd/%E4%B8%AD.dll"},
        {"/a+b/c=d&e?f", "/a+b/c=d&e?f"},           {"/50%#x\"y", "/50%25%23x%22y"},
        {std::string("/t\tn\x7f", 5), "/t%09n%7F"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlEncodePath(c.in), c.out) << c.in;
}

TEST_F(UpdaterUtilities, UnGzipFileAcceptsOnlyCompleteGzipData) {
    const QByteArray content = QByteArray("packed content ").repeated(2000);
    const QByteArray gz = Gzip(content);
    const struct {
        const char* name;
        QByteArray source;
        bool ok;
        QByteArray result;
    } cases[] = {
        {"valid", gz, true, content},
        {"empty source", QByteArray(), false, QByteArray()},
        {"truncated", gz.left(gz.size() / 2), false, QByteArray()},
        {"not gzip", QByteArray("plain text, never packed"), false, QByteArray()},
        {"concatenated", Gzip("one,") + Gzip("two"), true, QByteArray("one,two")},
    };
    for (const auto& c : cases) {
        const QString source = prog(QStringLiteral("src.gz"));
        const QString target = prog(QStringLiteral("out.bin"));
        Write(source, c.source);
        EXPECT_EQ(UnGzipFile(target, source), c.ok) << c.name;
        if (c.ok)
            EXPECT_EQ(Read(target), c.result) << c.name;
        else
            EXPECT_FALSE(QFileInfo::exists(target)) << c.name;
        QFile::remove(target);
    }
}

TEST_F(UpdaterUtilities, DeleteFolderRemovesLinksNeverTheirTargets) {
    Write(prog(QStringLiteral("gone/sub/file.txt")), "x");
    ASSERT_EQ(::symlink(QFile::encodeName(outside()).constData(),
                        QFile::encodeName(prog(QStringLiteral("gone/sub/out"))).constData()),
              0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside(QStringLiteral("sentinel.txt"))).constData(),
                        QFile::encodeName(prog(QStringLiteral("gone/file-link"))).constData()),
              0);
    EXPECT_TRUE(DeleteFolder(prog(QStringLiteral("gone"))));
    EXPECT_FALSE(QFileInfo::exists(prog(QStringLiteral("gone"))));
    expectUntouched();
}

TEST_F(UpdaterUtilities, ConfinedPathKeepsKeysInsideTheRoot) {
    ASSERT_EQ(::symlink(QFile::encodeName(outside()).constData(),
                        QFile::encodeName(prog(QStringLiteral("out"))).constData()),
              0);
    const struct {
        QString key;
        QString expected; // relative to prog, or empty when refused
    } cases[] = {
        {QStringLiteral("a.txt"), QStringLiteral("a.txt")},
        {QStringLiteral("dir\\b.txt"), QStringLiteral("dir/b.txt")},
        {QStringLiteral("./c.txt"), QStringLiteral("c.txt")},
        {QString(), QString()},
        {QStringLiteral("/etc/passwd"), QString()},
        {QStringLiteral("\\x.txt"), QString()},
        {QStringLiteral("C:x.txt"), QString()},
        {QStringLiteral("../outside/sentinel.txt"), QString()},
        {QStringLiteral("a/../../x"), QString()},
        {QStringLiteral("a\x01.txt"), QString()},
        {QStringLiteral("out/sentinel.txt"), QString()},
        {QStringLiteral("out"), QString()},
    };
    for (const auto& c : cases) {
        const QString expected = c.expected.isEmpty() ? QString() : prog(c.expected);
        EXPECT_EQ(ConfinedPath(prog(), c.key), expected) << c.key.toStdString();
    }
    for (const char* key : {"DB/SystemData.db3", "db", "DbBak/x", "UpdateBak/1/x", "enc/a", "Log/run.txt"})
        EXPECT_TRUE(IsUserDataKey(QString::fromLatin1(key))) << key;
    for (const char* key : {"DBX/a", "data/DB/x", "a.txt"})
        EXPECT_FALSE(IsUserDataKey(QString::fromLatin1(key))) << key;
}

using UpdaterLog = UpdaterSandbox;

std::chrono::system_clock::time_point LocalMoment(int year, int month, int day, int hour, int minute,
                                                  int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

QByteArray Descrambled(const QString& path) {
    QFile f(path);
    QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    for (char& c : bytes)
        c = static_cast<char>(c ^ 0x5C);
    return bytes;
}

struct ClockGuard {
    ~ClockGuard() { companion::SetLogClock(nullptr); }
};

TEST_F(UpdaterLog, RecordsAreScrambledStampedAndReopenAtMidnight) {
    ClockGuard guard;
    auto now = LocalMoment(2026, 3, 1, 23, 59, 59) + std::chrono::milliseconds(250);
    companion::SetLogClock([&] { return now; });
    ASSERT_TRUE(companion::LogOpen(QStringLiteral("convert"), true));
    companion::LogWriteW(QStringLiteral("升级成功:a.txt"));
    now = LocalMoment(2026, 3, 2, 0, 0, 1);
    companion::LogWrite("after midnight");
    companion::LogClose();

    const QByteArray first = Descrambled(prog(QStringLiteral("enc/convert_2026-03-01.enc")));
    EXPECT_EQ(first, QByteArray("\r\n2026-03-01 23:59:59.250  ") + QByteArray::fromHex("c9fdbcb6b3c9b9a6") +
                         ":a.txt");
    EXPECT_EQ(Descrambled(prog(QStringLiteral("enc/convert_2026-03-02.enc"))),
              QByteArray("\r\n2026-03-02 00:00:01.000  after midnight"));
    // Scrambled on disk: no plain text.
    EXPECT_FALSE(Read(prog(QStringLiteral("enc/convert_2026-03-02.enc"))).contains("midnight"));
}

TEST_F(UpdaterLog, StopsPast300MiBAtTheThousandRecordCheck) {
    ClockGuard guard;
    const auto now = LocalMoment(2026, 3, 1, 12, 0, 0);
    companion::SetLogClock([&] { return now; });
    const QString path = prog(QStringLiteral("enc/update_2026-03-01.enc"));
    QDir().mkpath(prog(QStringLiteral("enc")));
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(companion::kLogStopSize + 1)); // sparse
    }
    ASSERT_TRUE(companion::LogOpen(QStringLiteral("update"), true));
    for (int i = 0; i < 1100; ++i)
        companion::LogWrite("record");
    companion::LogClose();
    const qint64 record = qint64(std::strlen("\r\n2026-03-01 12:00:00.000  record"));
    // The records before the check are written; the check stops the rest.
    EXPECT_EQ(QFileInfo(path).size(), companion::kLogStopSize + 1 + 1001 * record);
}

} // namespace
