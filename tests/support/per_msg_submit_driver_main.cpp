// A personalised submission without a window, as its own process, so a test
// can end it the hard way in the middle of a call: per-msg-submit-driver
// <program folder> <service URL> <rows> <batch size>. Each row is a mobile
// number from 13800000000 on with its own text; it prints "finished" when
// the submission ends.
#include "core/account.h"
#include "core/database.h"
#include "core/helpers.h"
#include "core/log.h"
#include "core/paths.h"
#include "sms/per_msg_submission.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s <program folder> <service URL> <rows> <batch size>\n", argv[0]);
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

    VIRTUAL_LIST_PERMSG rows;
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
        VIRTUAL_LIST_PERMSG::Message m;
        m.key = 13800000000LL + i;
        m.text = QStringLiteral("driver %1").arg(i);
        rows.AppendMessage(std::move(m));
    }
    PerMsgSubmitRequest request;
    request.rows = &rows;
    request.batchSize = std::atoi(argv[4]);

    auto sender = std::make_unique<ServiceGxmtSender>();
    sender->client().SetEndpoint(argv[2]);
    PerMsgSubmission submission(std::move(sender));
    QObject::connect(&submission, &PerMsgSubmission::progress, [](qint64 done, qint64 total) {
        std::printf("progress %lld/%lld\n", static_cast<long long>(done), static_cast<long long>(total));
        std::fflush(stdout);
    });
    int code = 0;
    QObject::connect(&submission, &PerMsgSubmission::finished, [&](const PerMsgSubmitResult& result) {
        std::printf("finished %d\n", result.allSent() ? 1 : 0);
        std::fflush(stdout);
        code = result.allSent() ? 0 : 1;
        app.quit();
    });
    if (!submission.Start(std::move(request)))
        return 4;
    app.exec();
    CloseDatabase();
    return code;
}
