// The account: connection test, service password, recharge, account
// information and rights, the timed balance call, and the two plain HTTP
// queries (balance page, version upload).
#include "core/account.h"
#include "core/convert.h"
#include "core/deployment.h"
#include "core/helpers.h"
#include "core/http.h"
#include "platform/encoding.h"
#include "service/service_client_internal.h"

#include <chrono>

namespace {

constexpr int kStatusTimeoutSeconds = 40;
constexpr int kAccountTimeoutSeconds = 50;
constexpr int kBalanceTimeoutSeconds = 10;
constexpr char kClientVersion[] = "4.61";

std::string AccountText(int i) { return UnicodeToUtf8(g_pAccount.field(i)); }

QStringList SplitServerList(const char* slist) {
    if (!slist || !*slist)
        return {};
    QString text = Utf8ToUnicode(slist);
    text.replace(QStringLiteral("|/"), QStringLiteral("/"));
    return text.split(QLatin1Char(','));
}

QString Q(const char* text) { return text ? Utf8ToUnicode(text) : QString(); }

} // namespace

int CWebServiceClient::CallGetStatus() {
    BeginCall();
    _ns1__GetStatus req;
    _ns1__GetStatusResponse resp;
    req.sn = Dup(AccountText(kAccountSerial));
    req.pwd = Dup(AccountText(kAccountPassword));
    LogWrite(g_logRun, "call GetStatus");
    const int rc = Invoke("GetStatus", kStatusTimeoutSeconds, &WebServiceSoapProxy::GetStatus, req, resp);
    int outcome;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, "Error,GetStatus，nRet=" + std::to_string(rc));
        ShowServiceError(ServiceTr("网络错误."));
        outcome = kResultNetworkFailure;
    } else {
        LogWrite(g_logRun, "GetStatus，webResult=" + LogText(resp.GetStatusResult));
        outcome = resp.GetStatusResult ? LeadingNumber(resp.GetStatusResult) : kResultNoAnswer;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallUDPPwd(const QString& newPassword) {
    BeginCall();
    _ns1__UDPPwd req;
    _ns1__UDPPwdResponse resp;
    req.sn = Dup(AccountText(kAccountSerial));
    req.pwd = Dup(AccountText(kAccountPassword));
    req.newpwd = Dup(UnicodeToUtf8(newPassword));
    LogWrite(g_logRun, "call UDPPwd");
    const int rc = Invoke("UDPPwd", kStatusTimeoutSeconds, &WebServiceSoapProxy::UDPPwd, req, resp);
    int outcome;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, "Error,UDPPwd，nRet=" + std::to_string(rc));
        ShowServiceError(ServiceTr("网络错误."));
        outcome = -1;
    } else {
        LogWrite(g_logRun, "UDPPwd，webResult=" + LogText(resp.UDPPwdResult));
        outcome = resp.UDPPwdResult ? ShowResultText(resp.UDPPwdResult) : kResultNoAnswer;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallChargUp(const QString& cardNo, const QString& cardPassword) {
    BeginCall();
    _ns1__ChargUp req;
    _ns1__ChargUpResponse resp;
    req.sn = Dup(AccountText(kAccountSerial));
    req.pwd = Dup(AccountText(kAccountPassword));
    req.cardno = Dup(UnicodeToUtf8(cardNo));
    req.cardpwd = Dup(UnicodeToUtf8(cardPassword));
    LogWrite(g_logRun, "call ChargUp");
    const int rc = Invoke("ChargUp", kAccountTimeoutSeconds, &WebServiceSoapProxy::ChargUp, req, resp);
    int outcome;
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, "Error,ChargUp，nRet=" + std::to_string(rc));
        ShowServiceError(ServiceTr("网络错误."));
        outcome = -1;
    } else {
        LogWrite(g_logRun, "ChargUp，webResult=" + LogText(resp.ChargUpResult));
        outcome = resp.ChargUpResult ? ShowResultText(resp.ChargUpResult) : kResultNoAnswer;
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallGetAllInfo2(ACCOUNT_SERVICE_INFO& info) {
    BeginCall();
    _ns1__GetAllInfo2 req;
    _ns1__GetAllInfo2Response resp;
    req.sn = Dup(m_sn);
    req.pwd = Dup(m_pwd);
    req.ver = Dup(kClientVersion);
    req.oem = Dup("");
    LogWrite(g_logRun, "call GetAllInfo2");
    const int rc =
        Invoke("GetAllInfo2", kAccountTimeoutSeconds, &WebServiceSoapProxy::GetAllInfo2, req, resp);
    if (rc != SOAP_OK) {
        LogWrite(g_logRun, "Error,GetAllInfo2，nRet=" + std::to_string(rc));
        ShowServiceError(ServiceTr("连接超时."));
        EndCall();
        return -1;
    }
    const ns1__RegistryInfo2* r = resp.GetAllInfo2Result;
    LogWrite(g_logRun, "GetAllInfo2，webResult=" + LogText(r ? r->RESULT : nullptr));
    if (!r || !r->RESULT) {
        EndCall();
        return kResultNoAnswer;
    }
    info.rights = RightsOfRoles(r->ROLES);
    info.update = Q(r->UPDATE);
    info.servers = SplitServerList(r->SLIST);
    info.serviceCode = Q(r->SERVICECODE);
    const int outcome = LeadingNumber(r->RESULT);
    EndCall();
    return outcome;
}

int CWebServiceClient::CallGetAllInfo2Test(QStringList& servers) {
    BeginCall();
    servers.clear();
    _ns1__GetAllInfo2 req;
    _ns1__GetAllInfo2Response resp;
    req.sn = Dup(m_sn);
    req.pwd = Dup(m_pwd);
    req.ver = Dup("");
    req.oem = Dup("");
    const int rc =
        Invoke("GetAllInfo2", kAccountTimeoutSeconds, &WebServiceSoapProxy::GetAllInfo2, req, resp);
    if (rc != SOAP_OK) {
        ShowServiceError(ServiceTr("网络错误."));
        EndCall();
        return rc;
    }
    const ns1__RegistryInfo2* r = resp.GetAllInfo2Result;
    int outcome = kResultNoAnswer;
    if (r) {
        servers = SplitServerList(r->SLIST);
        if (r->RESULT)
            outcome = ShowResultText(r->RESULT);
    }
    EndCall();
    return outcome;
}

int CWebServiceClient::CallBalanceTimed() {
    BeginCall();
    _ns1__balance req;
    _ns1__balanceResponse resp;
    req.sn = Dup(m_sn);
    req.pwd = Dup(m_digest);
    const auto start = std::chrono::steady_clock::now();
    const int rc = Invoke("balance", kBalanceTimeoutSeconds, &WebServiceSoapProxy::balance, req, resp);
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EndCall();
    if (rc != SOAP_OK)
        return -1;
    // A loopback answer can take 0 ms, which callers would read as a failure.
    return std::max(1, static_cast<int>(elapsed.count()));
}

int CWebServiceClient::HttpGetBalance(QString& reply) {
    const std::string query = "sn=" + UrlEncode(m_sn) + "&pwd=" + m_digest;
    QString error;
    std::string answer;
    if (HttpGet(error, DeploymentValue(DeploymentKey::BalanceUrl), query, answer) <= 0)
        return -3;
    reply = enc::DecodeText(answer);
    return 0;
}

int CWebServiceClient::UploadClientVersion(const char* version) {
    const std::string query =
        "sn=" + UrlEncode(m_sn) + "&pwd=" + m_digest + "&csVersion=" + UrlEncode(version ? version : "");
    QString error;
    std::string answer;
    return HttpGet(error, DeploymentValue(DeploymentKey::VersionUploadUrl), query, answer) > 0 ? 0 : -3;
}
