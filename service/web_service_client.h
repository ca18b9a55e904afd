#pragma once
// The one road to the messaging web service. A caller builds a client with
// the account's serial number and password, calls one or a few wrappers on
// it and drops it. Calls are synchronous: they block the calling thread until
// the answer or the operation's time-out.
#include "core/helpers.h"
#include "service/mms_content.h"
#include "soapWebServiceSoapProxy.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

// The client's own result codes (the service never sends them).
constexpr int kResultNetworkFailure = -999;  // after "网络错误."
constexpr int kResultFileNotOpened = -100;
constexpr int kResultFileTooLarge = -101;
constexpr int kResultNoAnswer = -1000;       // an answer without its result element

// Fax and voice attachment limits.
constexpr qint64 kFaxMaxBytes = 2097152;
constexpr qint64 kVoiceMaxBytes = 512000;

// One received message, as the service's "mo" answer gives it.
struct RECV_MSG {
    QString receiveID;
    QString sendNum;
    QString msgContent;
    QString sendTime;
    QString recvNum;  // the account's service number and the reply sub-number
};

// One delivery report.
struct RECV_REPORT {
    QString number;
    QString rrid;  // the send identifier given at submission
    QString status;
};

// How a client's last call ended, as far as the transport can tell. A
// wrapper's -1 alone cannot say whether the service ever saw the request;
// the submission must know, or it would call an unanswered send a failure
// and invite a second, charged send.
enum class CallOutcome {
    Answered, // a SOAP answer or fault was read, whatever it says
    NotSent,  // failed before the request was written whole
    NoAnswer, // written whole, but no SOAP answer was read
};

// What GetAllInfo2 tells about the account.
struct ACCOUNT_SERVICE_INFO {
    int rights = 0;         // a set bit withholds a feature
    QStringList servers;    // SLIST
    QString update;         // UPDATE
    QString serviceCode;    // SERVICECODE: the account's service number
};

class CWebServiceClient {
public:
    CWebServiceClient(const QString& sn, const QString& pwd);
    ~CWebServiceClient();
    CWebServiceClient(const CWebServiceClient&) = delete;
    CWebServiceClient& operator=(const CWebServiceClient&) = delete;

    // Aims every later call of this client at `url`. Null or empty changes nothing.
    void SetEndpoint(const char* url);
    // Copies the shared proxy settings into this client's connection; false.
    bool ApplyProxySettings();
    // Caps every later call's time-out at `seconds` for this client only
    // (0: no cap of its own).
    void SetTimeoutCap(int seconds) { m_timeoutCap = seconds; }
    // How the last SOAP call of this client ended. Every wrapper that talks
    // SOAP sets it, also when it gives up before calling (a file it cannot
    // read, a refused text: NotSent). A send wrapper whose answer holds no
    // number where the result decides calls it NoAnswer: a broken answer says
    // nothing about whether the service took the send. The plain page
    // queries (HttpGetBalance, UploadClientVersion) leave it as it was.
    CallOutcome LastCallOutcome() const { return m_lastOutcome; }

    const std::string& sn() const { return m_sn; }
    const std::string& pwd() const { return m_pwd; }
    const std::string& digest() const { return m_digest; }
    const std::string& endpoint() const { return m_endpoint; }
    WebServiceSoapProxy& proxy() { return m_proxy; }

    // ---- sending
    // 0 with the send id (at most 63 bytes) in `outId`, -1 on any failure.
    int CallSmsSend(std::string& outId, const std::string& mobile, const QString& content, const QString& stime,
                    const std::string& ext);
    int CallSmsSendIntl(std::string& outId, const std::string& mobile, const QString& content,
                        const QString& stime, const std::string& ext);
    int CallSmsSendAuto(const QString& mobile, const QString& content, const QString& stime, std::string& outId);
    // Texts are comma-separated lists of equal length, item by item. 0 or -1.
    int CallGxmt(const QString& mobile, const QString& content, const QString& stime, const QString& rrid);
    // 0, -1, -100, -101 or -999.
    int CallFaxSend(const QString& mobile, const QString& file, const QString& stime);
    // An empty sound path sends the text alone. The service's code through
    // ShowResultCode, or -100, -101, -999; above 10000 means accepted.
    int CallAudioSend(const QString& title, const QString& mobile, const QString& soundFile, const QString& text,
                      const QString& stime, const QString& srcNumber);
    // 0, -1, -100 or -101.
    int CallMmsSend(const std::vector<MMSCONTENT>& frames, const QString& title, const QString& mobile,
                    const QString& stime);

    // ---- incoming traffic: 0 when records were parsed, -1 otherwise
    int RecevieMSG(std::vector<RECV_MSG>& messages);
    int GetReport(std::vector<RECV_REPORT>& reports);

    // ---- account
    int CallGetStatus();
    int CallUDPPwd(const QString& newPassword);
    int CallChargUp(const QString& cardNo, const QString& cardPassword);
    int CallGetAllInfo2(ACCOUNT_SERVICE_INFO& info);
    int CallGetAllInfo2Test(QStringList& servers);
    // Milliseconds the call took (at least 1), -1 on a network failure.
    int CallBalanceTimed();
    // 0 with the page's answer, -3 on failure.
    int HttpGetBalance(QString& reply);
    int UploadClientVersion(const char* version);

private:
    template <typename Request, typename Response>
    using Operation = int (WebServiceSoapProxy::*)(const char*, const char*, Request*, Response&);

    // Sets the operation's time-outs and calls it on this client's endpoint
    // (or `endpoint` when given) with its SOAPAction.
    template <typename Request, typename Response>
    int Invoke(const char* operation, int timeoutSeconds, Operation<Request, Response> method, Request& request,
               Response& response, const std::string* endpoint = nullptr);
    // SOAP_OK, or a network failure (logged) when `url` names a host under
    // ".invalid": a built-in address no deployment configured is never looked up.
    int RefuseUnconfiguredHost(const std::string& url);
    // Releases what the last call's answer allocated.
    void EndCall();
    // A wrapper begins: nothing has gone out yet.
    void BeginCall() { m_lastOutcome = CallOutcome::NotSent; }
    // After an answer was read: a send result without a number where it
    // should be is no answer at all.
    void NoNumberIsNoAnswer(int rc, const char* result, bool holdsNumber);
    // Whether the request of the call in progress has been written whole.
    bool RequestWritten();
    void ResetRequestWritten();
    char* Dup(const std::string& text);
    int SendSms(const char* operation, const char* logName, const std::string& endpoint, std::string& outId,
                const std::string& mobile, const QString& content, const QString& stime, const std::string& ext);
    int CallMo(_ns1__mo& request, _ns1__moResponse& response);

    WebServiceSoapProxy m_proxy;
    std::string m_sn;
    std::string m_pwd;
    std::string m_digest;
    std::string m_endpoint;
    int m_timeoutCap = 0;
    CallOutcome m_lastOutcome = CallOutcome::Answered;
    std::string m_namespaceUri;
    std::vector<Namespace> m_namespaces;
    // The connection points at these; they live as long as the client.
    std::string m_proxyHost;
    std::string m_proxyUser;
    std::string m_proxyPwd;
};

// n = the leading number of `result` (atoi rules). A negative n shows the
// result itself in an error box. Returns n.
int ShowResultText(const char* result);
// A negative n shows "错误代码:%d,原因:%s" with the reason of the code. Returns n.
int ShowResultCode(const char* result);


// Base64 (RFC 4648) with a CR LF after every complete line of 76 characters.
// The capacity the encoder demands for n bytes.
size_t Base64EncodedLength(size_t n);
// False (nothing written) when an argument is missing or the capacity is too
// small; else true with the capacity set to the characters written.
bool Base64EncodeLines(char* out, size_t* outCapacity, const unsigned char* in, size_t n);
std::string Base64EncodeLines(std::string_view bytes);

// The rights mask of the ROLES number the service sends.
int RightsOfRoles(const char* roles);

// The endpoint of a channel server's address text: "host:port" becomes
// "http://host:port/webservice.asmx", a full URL stays as it is, an empty
// text gives an empty endpoint (none).
std::string ChannelEndpoint(const QString& address);

// Points a client at a channel's own server ("彩信" MMS, "语音" voice); other
// channels, and a channel without an address, keep the configured endpoint.
void SelectChannelServer(CWebServiceClient& client, const QString& channel);
