// corvelane-provision: what an installer does for a program folder. It
// stores the service account in DB/SystemData.db3 (the program itself never
// asks for it) and, for a trial, points every service address at a local
// messaging service.
//
//   corvelane-provision --folder DIR [--serial S --password P [--sign X]]
//                       [--local-service http://127.0.0.1:PORT]
#include "core/database.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: corvelane-provision --folder DIR [--serial S --password P [--sign X]]\n"
                         "                           [--local-service http://127.0.0.1:PORT]\n");
    return 2;
}

bool StoreAccount(const std::string& serial, const std::string& password, const std::string& sign) {
    SqlTransaction tx(g_pDB);
    if (!tx.active())
        return false;
    // One account per installation: the new row replaces what was there.
    if (ExecSql(nullptr, g_pDB, "DELETE FROM Register") != SQLITE_OK)
        return false;
    SqlStatement insert(g_pDB, "INSERT INTO Register (SerNum,PassWd,Sign) VALUES (?1,?2,?3)");
    insert.bind(1, serial).bind(2, password).bind(3, sign);
    return insert.exec() == SQLITE_OK && tx.commit() == SQLITE_OK;
}

bool PointAtLocalService(const QString& base) {
    const QString serverIni = AppPath(QStringLiteral("ServerInfo.ini"));
    const std::pair<const char*, QString> deployment[] = {
        {"MainEndpoint", base + QStringLiteral("/webservice.asmx")},
        {"BackupEndpoint", base + QStringLiteral("/webservice.asmx")},
        {"IntlEndpoint", base + QStringLiteral("/gjwebservice.asmx")},
        {"BalanceUrl", base + QStringLiteral("/GetBalance.ashx")},
        {"VersionUploadUrl", base + QStringLiteral("/apis/rims-provider/snExt/synchro/saveCSV")},
    };
    bool ok = ini::WriteString(serverIni, QStringLiteral("ServerAddress"), QStringLiteral("defaultAddress"),
                               base + QStringLiteral("/webservice.asmx"));
    for (const auto& [key, value] : deployment)
        ok = ini::WriteString(serverIni, QStringLiteral("Deployment"), QString::fromLatin1(key), value) && ok;
    // The run script starts a new trial service (on a new port) each time it
    // finds this mark; a real deployment never has it.
    ok = ini::WriteString(serverIni, QStringLiteral("Deployment"), QStringLiteral("LocalTrial"),
                          QStringLiteral("1")) && ok;
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::map<std::string, std::string> options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) != 0)
            return Usage();
        options[argv[i] + 2] = argv[i + 1];
    }
    if (argc % 2 == 0 || !options.count("folder"))
        return Usage();
    const QString folder = QDir(QString::fromLocal8Bit(options["folder"].c_str())).absolutePath();
    if (!QDir().mkpath(folder))
        return Usage();
    SetAppDirectory(folder);
    g_logRun.daily = 1;
    LogOpen(g_logRun, "run.txt", 1);

    int result = 0;
    if (options.count("local-service")) {
        const QString base = QString::fromStdString(options["local-service"]);
        if (!base.startsWith(QLatin1String("http://127.0.0.1:"))) {
            std::fprintf(stderr, "corvelane-provision: the local service must be on http://127.0.0.1\n");
            return 2;
        }
        if (!PointAtLocalService(base)) {
            std::fprintf(stderr, "corvelane-provision: cannot write ServerInfo.ini\n");
            result = 1;
        }
    }
    if (options.count("serial")) {
        if (OpenDatabase() != 0 || !StoreAccount(options["serial"], options["password"], options["sign"])) {
            std::fprintf(stderr, "corvelane-provision: cannot store the account in DB/SystemData.db3\n");
            result = 1;
        }
        CloseDatabase();
    }
    LogClose(g_logRun);
    return result;
}
