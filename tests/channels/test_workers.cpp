// The report and mail workers: they start, wait for their stop request (the
// flag cleared and the event set, both), clear the event and log both ends.
#include "automation/report_thread.h"
#include "channels/mail_thread.h"
#include "core/database.h"
#include "tests/support/program_folder.h"
#include "tests/support/test_helpers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Both with their real delays; the report worker's account is unknown to
// any service (it never gets as far as a poll here).
void ReportWorker(WorkerControl& control) {
    ReportWorkerSetup setup;
    setup.databasePath = SystemDatabasePath();
    ReportThreadProc(control, setup);
}

void MailWorker(WorkerControl& control) {
    EmailThreadProc(control, MailWorkerSetup{SystemDatabasePath()});
}

const struct {
    const char* name;
    void (*proc)(WorkerControl&);
    QString started;
    QString ended;
} kWorkers[] = {
    {"report", ReportWorker, QStringLiteral("INFO,report thread started"),
     QStringLiteral("INFO,report thread ended")},
    {"mail", MailWorker, QStringLiteral("INFO,mail thread started"),
     QStringLiteral("INFO,mail thread ended")},
};

class Workers : public ProgramFolderTest {};

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST_F(Workers, StopRequestedAtOnceEndsWellBeforeTheStartDelay) {
    for (const auto& w : kWorkers) {
        SCOPED_TRACE(w.name);
        for (const bool stopBeforeStart : {false, true}) {
            SCOPED_TRACE(stopBeforeStart ? "stop before start" : "stop after start");
            WorkerControl control;
            control.running = !stopBeforeStart;
            if (stopBeforeStart)
                control.stop.set();
            const auto start = Clock::now();
            std::thread thread(w.proc, std::ref(control));
            if (!stopBeforeStart) {
                control.running = false;
                control.stop.set();
            }
            thread.join();
            EXPECT_LT(MsSince(start), TimeBoundMs(2000));
            // The worker cleared its event: it can be started again.
            EXPECT_FALSE(control.stop.isSet());
        }
    }
    const QStringList lines = LogLines(runLog());
    for (const auto& w : kWorkers) {
        SCOPED_TRACE(w.name);
        EXPECT_EQ(lines.count(w.started), 2);
        EXPECT_EQ(lines.count(w.ended), 2);
        EXPECT_LT(lines.indexOf(w.started), lines.indexOf(w.ended));
    }
}

// The event alone does not end a worker whose flag is still on, nor the
// cleared flag alone; only both do.
TEST_F(Workers, RunUntilFlagClearedAndEventSet) {
    for (const auto& w : kWorkers) {
        SCOPED_TRACE(w.name);
        for (const bool eventFirst : {true, false}) {
            SCOPED_TRACE(eventFirst ? "event first" : "flag first");
            WorkerControl control;
            control.running = true;
            auto done = std::async(std::launch::async, w.proc, std::ref(control));
            if (eventFirst)
                control.stop.set();
            else
                control.running = false;
            EXPECT_EQ(done.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
            const auto start = Clock::now();
            if (eventFirst)
                control.running = false;
            else
                control.stop.set();
            EXPECT_EQ(done.wait_for(std::chrono::milliseconds(TimeBoundMs(3000))), std::future_status::ready);
            EXPECT_LT(MsSince(start), TimeBoundMs(2000));
        }
    }
}

// The mail frame past its start delay: it opens its connection, waits in the
// loop's place and ends on its stop; a database it cannot open does not
// keep it from ending.
TEST_F(Workers, MailFrameStartsStopsAndJoins) {
    for (const QString& path : {SystemDatabasePath(), m_folder->file(QStringLiteral("missing/none.db3"))}) {
        SCOPED_TRACE(path.toStdString());
        WorkerControl control;
        control.running = true;
        MailWorkerSetup setup{path, 0};
        auto done = std::async(std::launch::async, [&] { EmailThreadProc(control, setup); });
        EXPECT_EQ(done.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        const auto start = Clock::now();
        control.running = false;
        control.stop.set();
        EXPECT_EQ(done.wait_for(std::chrono::milliseconds(TimeBoundMs(3000))), std::future_status::ready);
        EXPECT_LT(MsSince(start), TimeBoundMs(1000));
        EXPECT_FALSE(control.stop.isSet());
    }
}

} // namespace
