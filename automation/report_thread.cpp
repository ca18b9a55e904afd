#include "automation/report_thread.h"

#include "core/database.h"
#include "core/log.h"
#include "core/sql.h"
#include "service/web_service_client.h"

#include <string>

namespace {

std::string ReportText(const RECV_REPORT& r) {
    return LogEscape(r.number) + "," + LogEscape(r.rrid) + "," + LogEscape(r.status);
}

// Reports still unwritten when the worker ends go to the run log whole: the
// service hands each report out once.
void LogUnwritten(const std::vector<RECV_REPORT>& reports) {
    for (const RECV_REPORT& r : reports)
        LogWrite(g_logRun, "WARN,状态报告未写入数据库:" + ReportText(r));
}

} // namespace

bool WriteStatusReports(sqlite3* db, std::vector<RECV_REPORT>& reports, const WorkerControl* control) {
    if (reports.empty())
        return true;
    if (!db)
        return false;
    SqlTransaction tx(db);
    if (!tx.active()) {
        LogWrite(g_logRun, "ERROR,取报告时更新发送号码状态报告时出错,begin transaction:" +
                               std::string(sqlite3_errmsg(db)));
        return false;
    }
    SqlStatement update(db, kStatusReportUpdate);
    if (!update.ok())
        return false;
    size_t done = 0;
    for (; done < reports.size(); ++done) {
        if (control && StopRequested(*control))
            break;
        const RECV_REPORT& r = reports[done];
        if (r.rrid.isEmpty()) {
            // rrid '' is what a failed or unknown send keeps: this report
            // would mark every such row of the number.
            LogWrite(g_logRun, "WARN,状态报告没有发送编号，未更新:" + ReportText(r));
            continue;
        }
        update.bind(1, r.status).bind(2, r.number).bind(3, r.rrid);
        if (update.exec() != SQLITE_OK) {
            LogWrite(g_logRun, std::string(sqlite3_errmsg(db)));
            LogWrite(g_logRun, "取报告时更新发送号码状态报告时出错");
        }
        update.reset();
    }
    if (tx.commit() != SQLITE_OK) {
        LogWrite(g_logRun, "ERROR,取报告时更新发送号码状态报告时出错,commit transaction:" +
                               std::string(sqlite3_errmsg(db)));
        tx.rollback();
        return false;
    }
    reports.erase(reports.begin(), reports.begin() + static_cast<std::ptrdiff_t>(done));
    return true;
}

void ProcessStatusReports(WorkerControl& control, const ReportWorkerSetup& setup) {
    if (WaitUnlessStopped(control, setup.loopDelayMs))
        return;
    sqlite3* db = OpenConnection(setup.databasePath);
    if (!db) {
        // Without its database the worker can only wait for its end.
        WaitForStopRequest(control);
        return;
    }
    CWebServiceClient client(setup.serial, setup.password);
    std::vector<RECV_REPORT> unwritten; // kept for the next pass when a write failed
    bool gotReports = false;
    while (!WaitUnlessStopped(control, gotReports ? setup.shortWaitMs : setup.longWaitMs)) {
        std::vector<RECV_REPORT> reports;
        if (client.GetReport(reports) == -1) {
            gotReports = false;
        } else {
            gotReports = true;
            if (reports.empty())
                LogWrite(g_logRun, "ERROR,处理接收报告出错！caReport.GetCount =0");
        }
        unwritten.insert(unwritten.end(), reports.begin(), reports.end());
        WriteStatusReports(db, unwritten, &control);
        if (StopRequested(control))
            break;
    }
    LogUnwritten(unwritten);
    CloseConnection(db);
}

void ReportThreadProc(WorkerControl& control, const ReportWorkerSetup& setup) {
    LogWrite(g_logRun, "INFO,report thread started");
    // The loop may end on its own (no database): the frame still waits for its stop.
    RunWorkerFrame(control, setup.startDelayMs, [&] { ProcessStatusReports(control, setup); });
    LogWrite(g_logRun, "INFO,report thread ended");
}
