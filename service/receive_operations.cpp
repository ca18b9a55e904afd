// Incoming traffic: received messages ("mo") with the switch to the backup
// endpoint, and delivery reports ("report").
#include "core/convert.h"
#include "core/helpers.h"
#include "platform/msgbox.h"
#include "service/service_client_internal.h"
#include "service/service_state.h"

#include <cstring>

namespace {

constexpr int kReceiveTimeoutSeconds = 150;

// A bare "1" means nothing to fetch, a negative number a failed request.
// Records hold fields separated by ",", so an answer whose first record
// merely begins with the identifier 1 is records, not the code: read as the
// code, the whole batch would be dropped.
bool HasRecords(const char* result) {
    if (!result)
        return false;
    const int n = LeadingNumber(result);
    if (n < 0)
        return false;
    return n != 1 || std::strchr(result, ',') != nullptr;
}

// Records are separated by CR LF, fields by ",". Records with fewer than
// five fields are dropped.
std::vector<QStringList> SplitRecords(const char* result) {
    std::vector<QStringList> records;
    // Every field is ASCII except the URL-encoded message text, so the answer
    // reads the same as code page 936 or UTF-8.
    const QString text = AnsiToUnicode(result);
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() >= 5)
            records.push_back(std::move(fields));
    }
    return records;
}

QString DecodeMessageText(const QString& field) {
    // The text is percent-encoded code page 936 bytes.
    return AnsiToUnicode(UrlDecode(UnicodeToAnsi(field)));
}

} // namespace

int CWebServiceClient::CallMo(_ns1__mo& request, _ns1__moResponse& response) {
    return Invoke("mo", kReceiveTimeoutSeconds, &WebServiceSoapProxy::mo, request, response);
}

int CWebServiceClient::RecevieMSG(std::vector<RECV_MSG>& messages) {
    BeginCall();
    _ns1__mo req;
    _ns1__moResponse resp;
    req.sn = Dup(m_sn);
    req.pwd = Dup(m_digest);
    LogWrite(g_logRun, "call mo");
    int rc = CallMo(req, resp);
    if (rc != SOAP_OK) {
        if (IsBackupUrl()) {
            LogWrite(g_logRun, "Error,mo,nRet=" + std::to_string(rc));
            EndCall();
            return -1;
        }
        rc = CallMo(req, resp);
        if (rc != SOAP_OK) {
            SwitchToBackupEndpoint();
            const std::string backup = BackupEndpoint();
            SetEndpoint(backup.c_str());
            LogWrite(g_logRun, "主地址不通，已经自动切换到备用地址！");
            rc = CallMo(req, resp);
            if (rc != SOAP_OK) {
                EndCall();
                return -1;
            }
        }
    }
    LogWrite(g_logRun, "mo，webResult=" + LogText(resp.moResult));
    if (!HasRecords(resp.moResult)) {
        EndCall();
        return -1;
    }
    const std::vector<QStringList> records = SplitRecords(resp.moResult);
    EndCall();
    for (const QStringList& f : records)
        messages.push_back(RECV_MSG{f[0], f[2], DecodeMessageText(f[3]), f[4], f[1]});
    if (!records.empty())
        ShowTrayBalloonMessage(MessageBoxTitle(), ServiceTr("您有新的短信，请注意查收！"));
    LogWrite(g_logRun, "RecevieMSG 接收到" + std::to_string(messages.size()) + "条短信（解析后）。");
    return 0;
}

int CWebServiceClient::GetReport(std::vector<RECV_REPORT>& reports) {
    BeginCall();
    _ns1__report req;
    _ns1__reportResponse resp;
    req.sn = Dup(m_sn);
    req.pwd = Dup(m_digest);
    req.maxid = 0;
    LogWrite(g_logRun, "call report");
    const int rc = Invoke("report", kReceiveTimeoutSeconds, &WebServiceSoapProxy::report, req, resp);
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, "Error,report,nRet=" + std::to_string(rc));
        EndCall();
        return -1;
    }
    LogWrite(g_logRun, "report，webResult=" + LogText(resp.reportResult));
    if (!HasRecords(resp.reportResult)) {
        EndCall();
        return -1;
    }
    const std::vector<QStringList> records = SplitRecords(resp.reportResult);
    EndCall();
    for (const QStringList& f : records)
        reports.push_back(RECV_REPORT{f[2], f[3], f[4]});
    LogWrite(g_logRun, "GetReport 接收到" + std::to_string(reports.size()) + "条报告（解析后）。");
    return 0;
}
