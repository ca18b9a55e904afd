#pragma once
// The frame of an end-to-end run against the trial service program: an X
// server of its own and the service for the trial account kSerial (password
// "pw"); skipped where Xvfb or xdotool is missing. For test programs that
// define CORVELANE_LOOPBACK_SERVICE_PROGRAM.
#include "tests/support/screen_run.h"
#include "tests/support/test_helpers.h"
#include "tests/support/trial_service_program.h"
#include "tests/support/xvfb_server.h"

#include <gtest/gtest.h>

#include <memory>

class TrialScreenRun : public ::testing::Test {
protected:
    static constexpr const char* kSerial = "SN-E2E-TRIAL";

    void SetUp() override {
        if (!XvfbServer::Available())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        x = std::make_unique<XvfbServer>();
        ASSERT_FALSE(x->display().isEmpty()) << "Xvfb did not start";
        service = std::make_unique<TrialServiceProgram>(QStringLiteral(CORVELANE_LOOPBACK_SERVICE_PROGRAM),
                                                        kSerial, "pw");
        ASSERT_GT(service->port(), 0) << service->log().toStdString();
    }

    // Starts the program in `run` with `accountIni` as the account's settings
    // and waits for its login window; null (test failed) when none maps.
    QProcess* StartProgram(ProgramRun& run, const QString& accountIni) {
        PrepareScreenRun(run, *x, service->url(), kSerial);
        run.writeFile(QStringLiteral("%1.ini").arg(QLatin1String(kSerial)), accountIni.toUtf8());
        QProcess* program = run.start();
        const bool shown = WaitUntil([&] { return !x->windowNamed(kLogin).isEmpty(); },
                                     std::chrono::milliseconds(TimeBoundMs(15000)));
        EXPECT_TRUE(shown) << run.runLog().toStdString();
        return shown ? program : nullptr;
    }
    // Logs in with Enter (the stored password); false when the main window
    // never maps.
    bool LogIn() const {
        return x->pressUntil(QStringLiteral("Return"), kLogin,
                             [&] { return !x->windowNamed(QStringLiteral("当前登录权限")).isEmpty(); });
    }

    const QString kLogin = QStringLiteral("登录");
    std::unique_ptr<XvfbServer> x;
    std::unique_ptr<TrialServiceProgram> service;
};
