#include "service/web_service_client.h"

#include "core/convert.h"
#include "core/deployment.h"
#include "core/log.h"
#include "core/md5.h"
#include "core/service_pages.h"
#include "platform/msgbox.h"
#include "service/service_client_internal.h"
#include "service/service_state.h"

#include <QCoreApplication>

#include <algorithm>
#include <cctype>
#include <climits>
#include <sys/socket.h>

namespace {

// A connection never waits longer for the server to accept than the
// operation waits for its answer.
constexpr int kConnectTimeoutSeconds = 20;
// Answers are small texts; the limit keeps a broken or hostile server from
// making the client allocate without bound.
constexpr size_t kMaxAnswerBytes = 16 * 1024 * 1024;
constexpr unsigned short kMaxXmlNesting = 64;

// Whether a call's request went out whole. The runtime prepares to receive
// only after it has flushed the request, so the receive-preparation hook
// is the first moment the client knows the service may have the request.
// The watch is a runtime plug-in: it lives and dies with the connection's
// context, and whatever hook was installed before it still runs.
const char kRequestWatchId[] = "corvelane-request-watch";

struct RequestWatch {
    int (*chained)(struct soap*) = nullptr;
    bool written = false;
};

RequestWatch* FindRequestWatch(struct soap* soap) {
    return static_cast<RequestWatch*>(soap_lookup_plugin(soap, kRequestWatchId));
}

int NoteRequestWritten(struct soap* soap) {
    RequestWatch* watch = FindRequestWatch(soap);
    if (!watch)
        return SOAP_OK;
    watch->written = true;
    return watch->chained ? watch->chained(soap) : SOAP_OK;
}

// Takes the receive-preparation hook, keeping the one in place to call it
// after; a hook already ours stays as it is.
void InstallRequestWatch(struct soap* soap, RequestWatch& watch) {
    if (soap->fprepareinitrecv == NoteRequestWritten)
        return;
    watch.chained = soap->fprepareinitrecv;
    soap->fprepareinitrecv = NoteRequestWritten;
}

void DeleteRequestWatch(struct soap*, struct soap_plugin* plugin) {
    delete static_cast<RequestWatch*>(plugin->data);
    plugin->data = nullptr;
}

int CopyRequestWatch(struct soap*, struct soap_plugin* to, struct soap_plugin* from) {
    to->data = new RequestWatch(*static_cast<RequestWatch*>(from->data));
    return SOAP_OK;
}

int CreateRequestWatch(struct soap* soap, struct soap_plugin* plugin, void*) {
    auto* watch = new RequestWatch;
    plugin->id = kRequestWatchId;
    plugin->data = watch;
    plugin->fcopy = CopyRequestWatch;
    plugin->fdelete = DeleteRequestWatch;
    InstallRequestWatch(soap, *watch);
    return SOAP_OK;
}

} // namespace

QString ServiceTr(const char* text) { return QCoreApplication::translate("CWebServiceClient", text); }

void ShowServiceError(const QString& text) { ShowMessageBox(text, mb::Ok | mb::IconError); }

std::string LogText(const char* text) {
    if (!text)
        return "(null)";
    std::string_view view(text);
    if (view.size() <= kMaxLoggedResultBytes)
        return LogEscape(view);
    // A huge answer would make a huge log line: its head and its length say
    // enough. The cut never splits a UTF-8 sequence.
    size_t cut = kMaxLoggedResultBytes;
    while (cut > 0 && (static_cast<unsigned char>(view[cut]) & 0xC0) == 0x80)
        --cut;
    return LogEscape(view.substr(0, cut)) + "...(" + std::to_string(view.size()) + " bytes)";
}

std::string DigestForLog(const std::string& digest) { return digest.substr(0, 4) + "..."; }

CWebServiceClient::CWebServiceClient(const QString& sn, const QString& pwd) {
    m_sn = UnicodeToUtf8(sn);
    m_pwd = UnicodeToUtf8(pwd);
    m_digest = ServiceDigest(sn, pwd);

    // The namespace is a deployment value: the generated table is copied with
    // the value in force, and every SOAPAction is built from it.
    m_namespaceUri = UnicodeToUtf8(DeploymentValue(DeploymentKey::ServiceNamespace));
    for (const Namespace* ns = m_proxy.namespaces; ns && ns->id; ++ns) {
        Namespace entry = *ns;
        if (std::string_view(entry.id) == "ns1")
            entry.ns = m_namespaceUri.c_str();
        m_namespaces.push_back(entry);
    }
    m_namespaces.push_back(Namespace{nullptr, nullptr, nullptr, nullptr});
    soap_set_namespaces(&m_proxy, m_namespaces.data());

    m_proxy.recv_timeout = m_proxy.send_timeout = 150;
    m_proxy.connect_timeout = kConnectTimeoutSeconds;
    m_proxy.socket_flags = MSG_NOSIGNAL;  // a dropped connection is an error code, not SIGPIPE
    m_proxy.recv_maxlength = kMaxAnswerBytes;
    m_proxy.maxlevel = kMaxXmlNesting;
    soap_set_imode(&m_proxy, SOAP_C_UTFSTRING);
    soap_set_omode(&m_proxy, SOAP_C_UTFSTRING);

    soap_register_plugin(&m_proxy, CreateRequestWatch);

    const std::string configured = ServiceUrl();
    const std::string url = configured.empty() ? BuiltInMainEndpoint() : configured;
    SetEndpoint(url.c_str());
    ApplyProxySettings();
}

CWebServiceClient::~CWebServiceClient() {
    m_proxy.proxy_host = nullptr;
    m_proxy.proxy_userid = nullptr;
    m_proxy.proxy_passwd = nullptr;
    m_proxy.destroy();
}

void CWebServiceClient::SetEndpoint(const char* url) {
    // An empty endpoint would make the runtime write the request, digest and
    // all, to standard output: it is never taken.
    if (!url || !*url)
        return;
    m_endpoint = url;
    m_proxy.soap_endpoint = m_endpoint.c_str();
}

bool CWebServiceClient::ApplyProxySettings() {
    const ServiceSettings settings = CurrentServiceSettings();
    if (settings.proxyPort == 0)
        return false;
    m_proxyHost = settings.proxyHost;
    m_proxyUser = settings.proxyUser;
    m_proxyPwd = settings.proxyPwd;
    m_proxy.proxy_host = m_proxyHost.c_str();
    m_proxy.proxy_port = settings.proxyPort;
    m_proxy.proxy_userid = m_proxyUser.empty() ? nullptr : m_proxyUser.c_str();
    m_proxy.proxy_passwd = m_proxyUser.empty() ? nullptr : m_proxyPwd.c_str();
    return false;
}

int CWebServiceClient::RefuseUnconfiguredHost(const std::string& url) {
    // The runtime's own parser, so the host checked is the host it would connect to.
    soap_set_endpoint(&m_proxy, url.c_str());
    const std::string host = m_proxy.host;
    if (!IsRefusedHost(QString::fromUtf8(host)))
        return SOAP_OK;
    LogWrite(g_logRun, "ERROR,CWebServiceClient,host not configured: \"" + LogEscape(host) +
                           "\" (set it in ServerInfo.ini [Deployment])");
    return soap_set_receiver_error(&m_proxy, "host not configured", host.c_str(), SOAP_TCP_ERROR);
}

void CWebServiceClient::EndCall() { m_proxy.destroy(); }

void CWebServiceClient::ResetRequestWritten() {
    if (RequestWatch* watch = FindRequestWatch(&m_proxy)) {
        watch->written = false;
        InstallRequestWatch(&m_proxy, *watch); // someone may have replaced the hook since
    }
}

bool CWebServiceClient::RequestWritten() {
    const RequestWatch* watch = FindRequestWatch(&m_proxy);
    return watch && watch->written;
}

void CWebServiceClient::NoNumberIsNoAnswer(int rc, const char* result, bool holdsNumber) {
    // A missing result element is an answer the service gave; an empty or
    // garbled text in its place is not one the client can read.
    if (rc == SOAP_OK && result && !holdsNumber)
        m_lastOutcome = CallOutcome::NoAnswer;
}

char* CWebServiceClient::Dup(const std::string& text) { return soap_strdup(&m_proxy, text.c_str()); }

// ------------------------------------------------------------------ helpers

int ShowResultText(const char* result) {
    const int n = LeadingNumber(result);
    if (n < 0)
        ShowServiceError(Utf8ToUnicode(result ? result : ""));
    return n;
}

int ShowResultCode(const char* result) {
    static const char* const kReasons[] = {"操作失败", "序列号密码不正确", "参数格式不正确", "余额不足",
                                           "数据格式错误", "参数有误", "权限有限"};
    const int n = LeadingNumber(result);
    if (n < 0) {
        const char* reason = n >= -7 ? kReasons[-n - 1] : "参数有误";
        ShowServiceError(ServiceTr("错误代码:%1,原因:%2").arg(n).arg(ServiceTr(reason)));
    }
    return n;
}

size_t Base64EncodedLength(size_t n) {
    const size_t l = 4 * n / 3 + n % 3;
    return (l + 3) / 4 * 4 + 2 * (l / 76) + 2;
}

bool Base64EncodeLines(char* out, size_t* outCapacity, const unsigned char* in, size_t n) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (!out || !outCapacity || (!in && n) || *outCapacity < Base64EncodedLength(n))
        return false;
    size_t w = 0, lineGroups = 0, i = 0;
    for (; i + 3 <= n; i += 3) {
        const unsigned v = static_cast<unsigned>(in[i]) << 16 | static_cast<unsigned>(in[i + 1]) << 8 | in[i + 2];
        out[w++] = kAlphabet[v >> 18 & 63];
        out[w++] = kAlphabet[v >> 12 & 63];
        out[w++] = kAlphabet[v >> 6 & 63];
        out[w++] = kAlphabet[v & 63];
        if (++lineGroups == 19) {
            out[w++] = '\r';
            out[w++] = '\n';
            lineGroups = 0;
        }
    }
    if (n - i == 1) {
        const unsigned v = static_cast<unsigned>(in[i]) << 16;
        out[w++] = kAlphabet[v >> 18 & 63];
        out[w++] = kAlphabet[v >> 12 & 63];
        out[w++] = '=';
        out[w++] = '=';
    } else if (n - i == 2) {
        const unsigned v = static_cast<unsigned>(in[i]) << 16 | static_cast<unsigned>(in[i + 1]) << 8;
        out[w++] = kAlphabet[v >> 18 & 63];
        out[w++] = kAlphabet[v >> 12 & 63];
        out[w++] = kAlphabet[v >> 6 & 63];
        out[w++] = '=';
    }
    *outCapacity = w;
    return true;
}

std::string Base64EncodeLines(std::string_view bytes) {
    std::string out(Base64EncodedLength(bytes.size()), '\0');
    size_t capacity = out.size();
    Base64EncodeLines(out.data(), &capacity, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    out.resize(capacity);
    return out;
}

int RightsOfRoles(const char* roles) {
    static const int kMasks[20] = {0,     0x4000, 0x2000, 0x400, 0x200, 0x10,   0x20, 0x1000, 0x100, -1,
                                   0x40,  0x7F78, 0x7BF8, 0x1400, 0,     0,      0,    0,      0,     0};
    const int n = LeadingNumber(roles);
    if (n < 0 || (n & 0x8000))
        return n;
    return n < 20 ? kMasks[n] : -1;
}

std::string ChannelEndpoint(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty())
        return {};
    // The settings give a channel server as "host:port"; the service answers
    // on the same path there as on the main endpoint.
    if (text.contains(QLatin1String("://")))
        return text.toStdString();
    return "http://" + text.toStdString() + "/webservice.asmx";
}

void SelectChannelServer(CWebServiceClient& client, const QString& channel) {
    const std::string endpoint = ChannelEndpoint(ChannelServerAddress(channel));
    client.SetEndpoint(endpoint.c_str()); // an empty address keeps the configured endpoint
}
