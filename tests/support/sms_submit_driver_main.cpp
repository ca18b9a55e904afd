// A submission without a window, as its own process, so a test can end it
// the hard way in the middle of a call: sms-submit-driver <program folder>
// <service URL> <numbers> <batch size>. It sends one part to mobile numbers
// from 13800000000 on and prints "finished" when the submission ends.
#include "core/account.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"
#include "sms/sms_submission.h"

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

    SmsSubmitRequest request;
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        SmsRecipient r;
        r.key = 13800000000LL + i;
        r.number = std::to_string(r.key);
        request.numbers.domestic.push_back(std::move(r));
    }
    request.parts = {QStringLiteral("driver")};

    auto sender = std::make_unique<ServiceSmsSender>();
    sender->client().SetEndpoint(argv[2]);
    SmsSubmission submission(std::move(sender));
    QObject::connect(&submission, &SmsSubmission::progress, [](qint64 done, qint64 total) {
        std::printf("progress %lld/%lld\n", static_cast<long long>(done), static_cast<long long>(total));
        std::fflush(stdout);
    });
    int code = 0;
    QObject::connect(&submission, &SmsSubmission::finished, [&](const SmsSubmitResult& result) {
        std::printf("finished %d\n", result.allSent ? 1 : 0);
        std::fflush(stdout);
        code = result.allSent ? 0 : 1;
        app.quit();
    });
    if (!submission.Start(std::move(request)))
        return 4;
    app.exec();
    CloseDatabase();
    return code;
}
