// An MMS submission without a window, as its own process, so a test can end
// it the hard way in the middle of a call: mms-submit-driver <program folder>
// <service URL> <numbers> <batch size>. It sends a one-frame text MMS to
// mobile numbers from 13800000000 on and prints "finished" when it ends.
#include "channels/mms_submission.h"
#include "core/account.h"
#include "core/app_globals.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <program folder> <service URL> <numbers> <batch size>\n", argv[0]);
        return 2;
    }
    SetAppDirectory(QString::fromLocal8Bit(argv[1]));
    LogOpen(g_logRun, "run.txt", 1);
    LogOpen(g_logSend, "qx.txt", 1);
    if (OpenDatabase() != 0) {
        std::fprintf(stderr, "cannot open the database\n");
        return 3;
    }
    AccountFields account;
    account[kAccountSerial] = QStringLiteral("SN-DRIVER");
    account[kAccountPassword] = QStringLiteral("secret");
    g_pAccount.set(account);
    g_sysSettings.assign(10, SYSSETTING{});
    g_sysSettings[8] = SYSSETTING{1, QString::fromLatin1(argv[4])};
    g_nMmsMaxSize = 51200;

    MmsSubmitRequest request;
    request.title = QStringLiteral("driver");
    request.frames = {MMSCONTENT{QString(), QString(), QString(), QStringLiteral("driver text")}};
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        SmsRecipient r;
        r.key = 13800000000LL + i;
        r.number = std::to_string(r.key);
        request.numbers.push_back(std::move(r));
    }

    auto sender = std::make_unique<ServiceMmsSender>();
    sender->client().SetEndpoint(argv[2]);
    MmsSubmission submission(std::move(sender));
    QObject::connect(&submission, &MmsSubmission::progress, [](qint64 done, qint64 total) {
        std::printf("progress %lld/%lld\n", static_cast<long long>(done), static_cast<long long>(total));
        std::fflush(stdout);
    });
    int code = 0;
    QObject::connect(&submission, &MmsSubmission::finished, [&](const MmsSubmitResult& result) {
        std::printf("finished %d\n", result.sentCount);
        std::fflush(stdout);
        code = result.failedCount + result.unknownCount == 0 ? 0 : 1;
        app.quit();
    });
    if (submission.Start(std::move(request)) != MmsStartResult::Started)
        return 4;
    app.exec();
    CloseDatabase();
    return code;
}
