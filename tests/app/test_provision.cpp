// corvelane-provision as an installer runs it: the account from the
// environment into Register, and every malformed command line refused.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray err;
};

Outcome Provision(const QStringList& arguments, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(CORVELANE_PROVISION_PROGRAM), arguments);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
}

std::string RegisterRow(const QString& folder) {
    sqlite3* db = nullptr;
    std::string row;
    if (sqlite3_open_v2((folder + QStringLiteral("/DB/SystemData.db3")).toUtf8().constData(), &db,
                        SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT SerNum || '|' || PassWd || '|' || Sign FROM Register", -1, &st, nullptr) ==
            SQLITE_OK) {
            while (sqlite3_step(st) == SQLITE_ROW)
                row += reinterpret_cast<const char*>(sqlite3_column_text(st, 0)) + std::string(";");
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return row;
}

TEST(Provision, StoresTheAccountFromTheEnvironment) {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CORVELANE_SERIAL"), QStringLiteral("SN-1"));
    env.insert(QStringLiteral("CORVELANE_PASSWORD"), QStringLiteral("secret"));
    env.insert(QStringLiteral("CORVELANE_SIGN"), QStringLiteral("【店】"));
    const Outcome out = Provision({QStringLiteral("--folder"), dir.path(), QStringLiteral("--store-account")}, env);
    EXPECT_EQ(out.exitCode, 0) << out.err.toStdString();
    EXPECT_EQ(RegisterRow(dir.path()), "SN-1|secret|【店】;");
}

TEST(Provision, RefusesMalformedCommandLines) {
    QTemporaryDir dir;
    QProcessEnvironment noAccount = QProcessEnvironment::systemEnvironment();
    noAccount.remove(QStringLiteral("CORVELANE_SERIAL"));
    struct Case {
        const char* name;
        QStringList arguments;
    };
    const Case cases[] = {
        {"no folder", {}},
        {"empty folder", {QStringLiteral("--folder"), QString()}},
        {"folder without value", {QStringLiteral("--folder")}},
        {"unknown option", {QStringLiteral("--folder"), dir.path(), QStringLiteral("--serial"), QStringLiteral("x")}},
        {"password on the command line", {QStringLiteral("--folder"), dir.path(), QStringLiteral("--password"), QStringLiteral("x")}},
        {"stray word", {QStringLiteral("--folder"), dir.path(), QStringLiteral("extra")}},
        {"account missing", {QStringLiteral("--folder"), dir.path(), QStringLiteral("--store-account")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = Provision(c.arguments, noAccount);
        EXPECT_EQ(out.exitCode, 2);
        EXPECT_TRUE(out.err.contains("usage: corvelane-provision")) << out.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("DB/SystemData.db3"))));
}

// Bytes that are not UTF-8 reach the tool only through a shell; QProcess
// would encode them. A small shell line hands them over as they are.
TEST(Provision, RefusesValuesThatAreNotUtf8) {
    QProcess p;
    p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"),
                                        QStringLiteral("exec \"$0\" --folder \"$(printf '/tmp/\\377\\376')\""),
                                        QStringLiteral(CORVELANE_PROVISION_PROGRAM)});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 2);
    EXPECT_TRUE(p.readAllStandardError().contains("not valid UTF-8"));
}

} // namespace
