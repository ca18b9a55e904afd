// corvelane-provision: what an installer does for a program folder. It
// stores the service account in DB/SystemData.db3 (the program itself never
// asks for it) and, for a trial, points every service address at a local
// messaging service.
//
//   corvelane-provision --folder DIR [--store-account]
//                       [--local-service http://127.0.0.1:PORT]
//
// --store-account takes the account from the environment (CORVELANE_SERIAL,
// CORVELANE_PASSWORD, CORVELANE_SIGN), never from the command line, where
// any user of the machine could read it.
#include "core/database.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/sql.h"
#include "platform/ini.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

int Usage(const char* why) {
    std::fprintf(stderr,
                 "corvelane-provision: %s\n"
                 "usage: corvelane-provision --folder DIR [--store-account] [--local-service http://127.0.0.1:PORT]\n"
                 "  --store-account stores CORVELANE_SERIAL, CORVELANE_PASSWORD and CORVELANE_SIGN\n"
                 "  from the environment as the program folder's service account.\n",
                 why);
    return 2;
}

bool IsUtf8(const char* text) {
    return QByteArrayView(text, static_cast<qsizetype>(std::strlen(text))).isValidUtf8();
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
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
    bool storeAccount = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--store-account") {
            storeAccount = true;
            continue;
        }
        if (arg != "--folder" && arg != "--local-service")
            return Usage(("unknown option " + LogEscape(arg)).c_str());
        if (i + 1 >= argc)
            return Usage((arg + " needs a value").c_str());
        if (!IsUtf8(argv[i + 1]))
            return Usage((arg + " is not valid UTF-8").c_str());
        options[arg.substr(2)] = argv[++i];
    }
    if (options["folder"].empty())
        return Usage("--folder names no folder");
    std::string serial, password, sign;
    if (storeAccount) {
        serial = Environment("CORVELANE_SERIAL");
        password = Environment("CORVELANE_PASSWORD");
        sign = Environment("CORVELANE_SIGN");
        if (serial.empty())
            return Usage("--store-account without CORVELANE_SERIAL");
        if (!IsUtf8(serial.c_str()) || !IsUtf8(password.c_str()) || !IsUtf8(sign.c_str()))
            return Usage("the account in the environment is not valid UTF-8");
    }
    const QString folder = QDir(QString::fromUtf8(options["folder"].c_str())).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "corvelane-provision: cannot create the folder %s\n", options["folder"].c_str());
        return 1;
    }
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
    if (storeAccount) {
        if (OpenDatabase() != 0 || !StoreAccount(serial, password, sign)) {
            std::fprintf(stderr, "corvelane-provision: cannot store the account in DB/SystemData.db3\n");
            result = 1;
        }
        CloseDatabase();
    }
    LogClose(g_logRun);
    return result;
}
