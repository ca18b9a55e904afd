// The real Corvelane and the real Keldrune together in one program folder.
#include "core/database.h"
#include "core/paths.h"
#include "core/sql.h"
#include "tests/support/old_db_fixture.h"
#include "tests/support/program_run.h"
#include "tests/support/test_helpers.h"
#include "updater/companion_utils.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

void InstallKeldrune(ProgramRun& run) {
    const QString target = run.file(QStringLiteral("Keldrune"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELDRUNE_PROGRAM), target));
    ::chmod(QFile::encodeName(target).constData(), 0755);
    WriteOldDatabase(run.file(QStringLiteral("crm.mdb")));
    run.writeFile(QStringLiteral("ServerInfo.ini"),
                  QByteArray("[Deployment]\nOldDatabaseConnect=") + kStandInConnect + "\n");
}

std::string Count(const QString& database, const char* table) {
    sqlite3* db = nullptr;
    std::string out = "<none>";
    if (sqlite3_open_v2(database.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, ("SELECT COUNT(*) FROM " + std::string(table)).c_str(), -1, &statement,
                               nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW)
            out = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return out;
}

bool Converted(ProgramRun& run) {
    return QFileInfo::exists(run.file(QStringLiteral("crm.mdb.Cov"))) &&
           run.readFile(QStringLiteral("CsqxConfig.ini")).contains("[HaveConvert]");
}

} // namespace

TEST(ConverterPrograms, MainProgramHandsAnOldDatabaseToTheConverter) {
    ProgramRun run;
    InstallKeldrune(run);
    QProcess* main = run.start();
    ASSERT_TRUE(main->waitForFinished(20000)) << "the main program steps aside for the converter";

    // Offscreen nobody answers the success box: the files tell the end.
    ASSERT_TRUE(WaitUntil([&] { return Converted(run); }, 30000ms));
    EXPECT_TRUE(run.readFile(QStringLiteral("CsqxConfig.ini")).contains("default=1"));
    EXPECT_FALSE(QFileInfo::exists(run.file(QStringLiteral("crm.mdb"))));
    EXPECT_TRUE(EndProcessesOf(run.file(QStringLiteral("Keldrune")), 1000, 5000));
    EXPECT_EQ(Count(run.file(QStringLiteral("DB/SystemData.db3")), "ContactList"), "6");

    // The next start goes on to the login and starts no converter.
    QProcess* next = run.start();
    EXPECT_FALSE(next->waitForFinished(3000));
    EXPECT_TRUE(FindProcessByName(run.file(QStringLiteral("Keldrune"))).empty());
    EXPECT_EQ(run.command(QStringLiteral("quit")), 0);
    EXPECT_TRUE(next->waitForFinished(10000));
}

TEST(ConverterPrograms, RunningMainProgramQuitsBeforeTheConversion) {
    ProgramRun run;
    // A database in use: the main program goes on to its login and leaves
    // "crm.mdb" alone.
    SetAppDirectory(run.folder());
    ASSERT_EQ(OpenDatabase(), 0);
    ExecSql(nullptr, g_pDB, "INSERT INTO ContactList(name,mobileNum,perNO) VALUES('Mine','13100000000',1)");
    CloseDatabase();
    SetAppDirectory(QString());
    InstallKeldrune(run);
    QProcess* main = run.start();
    ASSERT_TRUE(run.waitForLog(QStringLiteral("INFO,language=")));
    EXPECT_FALSE(main->waitForFinished(2000));

    QProcess converter;
    converter.setProgram(run.file(QStringLiteral("Keldrune")));
    converter.setArguments({QStringLiteral("/auto")});
    converter.setWorkingDirectory(run.folder());
    converter.setProcessEnvironment(run.environment());
    converter.start();
    ASSERT_TRUE(converter.waitForStarted(5000));
    EXPECT_TRUE(main->waitForFinished(20000));
    EXPECT_TRUE(run.runLog().endsWith(QStringLiteral("  END.\r\n")));
    EXPECT_TRUE(WaitUntil([&] { return Converted(run); }, 30000ms));
    converter.kill();
    converter.waitForFinished(5000);
    EXPECT_EQ(Count(run.file(QStringLiteral("DB/SystemData.db3")), "sendInfo"), "6");
}
