#include "tests/support/screen_run.h"

#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

void PrepareScreenRun(ProgramRun& run, const XvfbServer& x, const LoopbackMessagingService& service,
                      const std::string& serial, const std::string& seedSql) {
    PrepareScreenRun(run, x, service.url(), serial, seedSql);
}

void PrepareScreenRun(ProgramRun& run, const XvfbServer& x, const std::string& endpoint, const std::string& serial,
                      const std::string& seedSql) {
    run.writeFile(QStringLiteral("DB/.keep"), "");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db),
              SQLITE_OK);
    const std::string sql = "CREATE TABLE Register (SerNum CHAR(30), PassWd CHAR(10), Sign CHAR(20));"
                            "INSERT INTO Register VALUES ('" +
                            serial + "','pw','');" + seedSql;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK);
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  "[Deployment]\r\nMainEndpoint=" + QByteArray::fromStdString(endpoint) + "\r\n");
    run.writeFile(QString::fromStdString(serial) + QStringLiteral(".ini"), "[SysSetting]\r\nAuto7=0\r\n");
    run.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    run.environment().insert(QStringLiteral("DISPLAY"), x.display());
    run.environment().insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
}

bool OpenFromFileMenu(const XvfbServer& x, int position, const QString& window) {
    return OpenFromMenu(x, 0, position, window);
}

bool OpenFromMenu(const XvfbServer& x, int menu, int position, const QString& window) {
    const QString main = QStringLiteral("当前登录权限");
    for (int attempt = 0; attempt < 4; ++attempt) {
        // A menu left open by a lost key closes first; the File menu is the
        // menu bar's first. Opened by the mouse it has no entry chosen; a
        // menu reached with Right has its first entry chosen.
        x.key(QStringLiteral("Escape"), main);
        x.click(main, 15, 10);
        for (int i = 0; i < menu; ++i)
            x.key(QStringLiteral("Right"));
        for (int i = menu > 0 ? 1 : 0; i < position; ++i)
            x.key(QStringLiteral("Down"));
        x.key(QStringLiteral("Return"));
        if (WaitUntil([&] { return !x.windowNamed(window).isEmpty(); },
                      std::chrono::milliseconds(TimeBoundMs(3000))))
            return true;
    }
    return false;
}

bool DatabaseExec(const ProgramRun& run, const char* sql) {
    sqlite3* db = nullptr;
    bool ok =
        sqlite3_open(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(db, TimeBoundMs(5000));
        ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close(db);
    return ok;
}

QString DatabaseRows(const ProgramRun& run, const char* sql) {
    sqlite3* db = nullptr;
    QString out;
    if (sqlite3_open_v2(run.file(QStringLiteral("DB/SystemData.db3")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW) {
                for (int c = 0; c < sqlite3_column_count(st); ++c) {
                    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                    out += (c ? "|" : "") + QString::fromUtf8(text ? text : "");
                }
                out += QLatin1Char(';');
            }
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

BoxAnswerer::BoxAnswerer(const XvfbServer& x) : m_x(x), m_before(VisibleWindows()) {}

QStringList BoxAnswerer::VisibleWindows() const {
    return m_x
        .xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--class"),
                  QStringLiteral(".")})
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool BoxAnswerer::AnswerNext() {
    QString box;
    WaitUntil(
        [&] {
            for (const QString& id : VisibleWindows())
                if (!m_before.contains(id) && !m_answered.contains(id))
                    box = id;
            return !box.isEmpty();
        },
        std::chrono::milliseconds(TimeBoundMs(5000)));
    if (box.isEmpty())
        return false;
    m_answered << box;
    m_x.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), box});
    m_x.xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    return true;
}
