#include "tests/support/loopback_service.h"

#include "soapWebServiceSoapService.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <stdexcept>

namespace {
std::optional<std::string> Opt(const char* s) { return s ? std::optional<std::string>(s) : std::nullopt; }
} // namespace

class LoopbackMessagingService::Server : public WebServiceSoapService {
public:
    explicit Server(LoopbackMessagingService& owner) : m_owner(owner) {
        soap_set_imode(this, SOAP_C_UTFSTRING);
        soap_set_omode(this, SOAP_C_UTFSTRING);
        fget = ServeGet;
        user = this;
        socket_flags = MSG_NOSIGNAL;
        accept_timeout = -100000;  // 100 ms: the loop looks at its stop flag
        recv_timeout = send_timeout = 30;
        bind_flags = SO_REUSEADDR;
    }

    WebServiceSoapService* copy() override { return nullptr; }

    int GetStatus(_ns1__GetStatus* req, _ns1__GetStatusResponse& resp) override {
        LoopbackCall call = Begin("GetStatus");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.GetStatusResult = soap_strdup(this, a.result.c_str()); });
    }

    int UDPPwd(_ns1__UDPPwd* req, _ns1__UDPPwdResponse& resp) override {
        LoopbackCall call = Begin("UDPPwd");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["newpwd"] = Opt(req->newpwd);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.UDPPwdResult = soap_strdup(this, a.result.c_str()); });
    }

    int ChargUp(_ns1__ChargUp* req, _ns1__ChargUpResponse& resp) override {
        LoopbackCall call = Begin("ChargUp");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["cardno"] = Opt(req->cardno);
        call.fields["cardpwd"] = Opt(req->cardpwd);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.ChargUpResult = soap_strdup(this, a.result.c_str()); });
    }

    int GetAllInfo2(_ns1__GetAllInfo2* req, _ns1__GetAllInfo2Response& resp) override {
        LoopbackCall call = Begin("GetAllInfo2");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["ver"] = Opt(req->ver);
        call.fields["oem"] = Opt(req->oem);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.GetAllInfo2Result = Registry(a); });
    }

    int qxSmsSend(_ns1__qxSmsSend* req, _ns1__qxSmsSendResponse& resp) override {
        LoopbackCall call = Begin("qxSmsSend");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["content"] = Opt(req->content);
        call.fields["ext"] = Opt(req->ext);
        call.fields["stime"] = Opt(req->stime);
        call.fields["rrid"] = Opt(req->rrid);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.qxSmsSendResult = soap_strdup(this, a.result.c_str()); });
    }

    int qxSmsSend_USCOREg(_ns1__qxSmsSend_USCOREg* req, _ns1__qxSmsSend_USCOREgResponse& resp) override {
        LoopbackCall call = Begin("qxSmsSend_g");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["content"] = Opt(req->content);
        call.fields["ext"] = Opt(req->ext);
        call.fields["stime"] = Opt(req->stime);
        call.fields["rrid"] = Opt(req->rrid);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.qxSmsSend_USCOREgResult = soap_strdup(this, a.result.c_str()); });
    }

    int gxmt(_ns1__gxmt* req, _ns1__gxmtResponse& resp) override {
        LoopbackCall call = Begin("gxmt");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["content"] = Opt(req->content);
        call.fields["ext"] = Opt(req->ext);
        call.fields["stime"] = Opt(req->stime);
        call.fields["rrid"] = Opt(req->rrid);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.gxmtResult = soap_strdup(this, a.result.c_str()); });
    }

    int qxFaxSend(_ns1__qxFaxSend* req, _ns1__qxFaxSendResponse& resp) override {
        LoopbackCall call = Begin("qxFaxSend");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["title"] = Opt(req->title);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["content"] = Opt(req->content);
        call.fields["srcnumber"] = Opt(req->srcnumber);
        call.fields["stime"] = Opt(req->stime);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.qxFaxSendResult = soap_strdup(this, a.result.c_str()); });
    }

    int qxAudioSend(_ns1__qxAudioSend* req, _ns1__qxAudioSendResponse& resp) override {
        LoopbackCall call = Begin("qxAudioSend");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["title"] = Opt(req->title);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["txt"] = Opt(req->txt);
        call.fields["content"] = Opt(req->content);
        call.fields["srcnumber"] = Opt(req->srcnumber);
        call.fields["stime"] = Opt(req->stime);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.qxAudioSendResult = soap_strdup(this, a.result.c_str()); });
    }

    int qxMmsSend(_ns1__qxMmsSend* req, _ns1__qxMmsSendResponse& resp) override {
        LoopbackCall call = Begin("qxMmsSend");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["title"] = Opt(req->title);
        call.fields["mobile"] = Opt(req->mobile);
        call.fields["content"] = Opt(req->content);
        call.fields["stime"] = Opt(req->stime);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.qxMmsSendResult = soap_strdup(this, a.result.c_str()); });
    }

    int mo(_ns1__mo* req, _ns1__moResponse& resp) override {
        LoopbackCall call = Begin("mo");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.moResult = soap_strdup(this, a.result.c_str()); });
    }

    int report(_ns1__report* req, _ns1__reportResponse& resp) override {
        LoopbackCall call = Begin("report");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        call.fields["maxid"] = std::to_string(req->maxid);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.reportResult = soap_strdup(this, a.result.c_str()); });
    }

    int balance(_ns1__balance* req, _ns1__balanceResponse& resp) override {
        LoopbackCall call = Begin("balance");
        call.fields["sn"] = Opt(req->sn);
        call.fields["pwd"] = Opt(req->pwd);
        return Finish(call, [&](const LoopbackAnswer& a) { resp.balanceResult = soap_strdup(this, a.result.c_str()); });
    }

private:
    LoopbackCall Begin(const char* operation) {
        LoopbackCall call;
        call.operation = operation;
        call.action = action ? action : "";
        call.path = path;
        return call;
    }

    template <typename Fill>
    int Finish(LoopbackCall& call, Fill fill) {
        const LoopbackAnswer a = m_owner.answerFor(call);
        if (a.held && !m_owner.hold()) {
            // Stopping: the caller gets no answer at all, as from a service
            // that went away with the request.
            soap_force_closesock(this);
            return SOAP_STOP;
        }
        if (a.delayMs > 0)
            m_owner.delay(a.delayMs);
        switch (a.kind) {
        case LoopbackAnswer::Fault:
            return soap_receiverfault("scripted fault", nullptr);
        case LoopbackAnswer::NoResult:
            return SOAP_OK;
        case LoopbackAnswer::Result:
            fill(a);
            return SOAP_OK;
        }
        return SOAP_OK;
    }

    ns1__RegistryInfo2* Registry(const LoopbackAnswer& a) {
        auto* r = soap_new_ns1__RegistryInfo2(this);
        if (auto it = a.registryInfo.find("RESULT"); it != a.registryInfo.end())
            r->RESULT = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("ROLES"); it != a.registryInfo.end())
            r->ROLES = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("SLIST"); it != a.registryInfo.end())
            r->SLIST = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("UPDATE"); it != a.registryInfo.end())
            r->UPDATE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("SERVICECODE"); it != a.registryInfo.end())
            r->SERVICECODE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("BALANCE"); it != a.registryInfo.end())
            r->BALANCE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("CREATEDATE"); it != a.registryInfo.end())
            r->CREATEDATE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("PRIORITY"); it != a.registryInfo.end())
            r->PRIORITY = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("AGENTID"); it != a.registryInfo.end())
            r->AGENTID = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("PRODUCTNAME"); it != a.registryInfo.end())
            r->PRODUCTNAME = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("DESTMOBILE"); it != a.registryInfo.end())
            r->DESTMOBILE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("FLAG"); it != a.registryInfo.end())
            r->FLAG = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("REPLYCONTENT"); it != a.registryInfo.end())
            r->REPLYCONTENT = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("ISRETURN"); it != a.registryInfo.end())
            r->ISRETURN = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("VERSION"); it != a.registryInfo.end())
            r->VERSION = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("GRADE"); it != a.registryInfo.end())
            r->GRADE = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("PARENT"); it != a.registryInfo.end())
            r->PARENT = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("SUBSIDIARY"); it != a.registryInfo.end())
            r->SUBSIDIARY = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("BALSTATUS"); it != a.registryInfo.end())
            r->BALSTATUS = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("DISCOUNT"); it != a.registryInfo.end())
            r->DISCOUNT = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("POPM"); it != a.registryInfo.end())
            r->POPM = soap_strdup(this, it->second.c_str());
        if (auto it = a.registryInfo.find("MMS"); it != a.registryInfo.end())
            r->MMS = soap_strdup(this, it->second.c_str());
        return r;
    }

    static int ServeGet(struct soap* soap) {
        auto* self = static_cast<Server*>(soap->user);
        const std::optional<LoopbackPage> page = self->m_owner.page(soap->path);
        const LoopbackPage answer = page ? *page : LoopbackPage{404, "not found"};
        soap->http_content = "text/plain; charset=utf-8";
        if (soap_response(soap, answer.status == 200 ? SOAP_FILE : answer.status) ||
            soap_send_raw(soap, answer.body.data(), answer.body.size()) || soap_end_send(soap))
            return soap_closesock(soap);
        return SOAP_OK;
    }

    LoopbackMessagingService& m_owner;
};

LoopbackMessagingService::LoopbackMessagingService(int port) : m_server(std::make_unique<Server>(*this)) {
    if (!soap_valid_socket(m_server->bind("127.0.0.1", port, 16)))
        throw std::runtime_error("loopback service: cannot bind 127.0.0.1");
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    ::getsockname(m_server->master, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

LoopbackMessagingService::~LoopbackMessagingService() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopWake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    m_server->destroy();
}

void LoopbackMessagingService::run() {
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
        }
        if (!soap_valid_socket(m_server->accept()))
            continue;  // the accept time-out: look at the stop flag again
        m_server->serve();
        m_server->destroy();
    }
}

std::string LoopbackMessagingService::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LoopbackMessagingService::script(const std::string& operation, LoopbackAnswer answer) {
    std::lock_guard lock(m_mutex);
    m_scripts[operation] = std::move(answer);
}

void LoopbackMessagingService::scriptOnce(const std::string& operation, LoopbackAnswer answer) {
    std::lock_guard lock(m_mutex);
    m_once[operation].push_back(std::move(answer));
}

void LoopbackMessagingService::setAnswerer(std::function<std::optional<LoopbackAnswer>(const LoopbackCall&)> f) {
    std::lock_guard lock(m_mutex);
    m_answerer = std::move(f);
}

void LoopbackMessagingService::scriptPage(const std::string& path, LoopbackPage page) {
    std::lock_guard lock(m_mutex);
    m_pages[path] = std::move(page);
}

std::vector<LoopbackCall> LoopbackMessagingService::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

std::vector<LoopbackCall> LoopbackMessagingService::calls(const std::string& operation) const {
    std::lock_guard lock(m_mutex);
    std::vector<LoopbackCall> out;
    for (const auto& c : m_calls)
        if (c.operation == operation)
            out.push_back(c);
    return out;
}

std::vector<std::string> LoopbackMessagingService::pageRequests() const {
    std::lock_guard lock(m_mutex);
    return m_pageRequests;
}

void LoopbackMessagingService::clear() {
    std::lock_guard lock(m_mutex);
    m_calls.clear();
    m_pageRequests.clear();
}

LoopbackAnswer LoopbackMessagingService::answerFor(const LoopbackCall& call) {
    std::function<std::optional<LoopbackAnswer>(const LoopbackCall&)> answerer;
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(call);
        auto once = m_once.find(call.operation);
        if (once != m_once.end() && !once->second.empty()) {
            LoopbackAnswer a = once->second.front();
            once->second.pop_front();
            return a;
        }
        answerer = m_answerer;
        if (!answerer) {
            auto it = m_scripts.find(call.operation);
            return it != m_scripts.end() ? it->second : LoopbackAnswer{};
        }
    }
    if (auto a = answerer(call))
        return *a;
    std::lock_guard lock(m_mutex);
    auto it = m_scripts.find(call.operation);
    return it != m_scripts.end() ? it->second : LoopbackAnswer{};
}

void LoopbackMessagingService::setPageObserver(std::function<void(const std::string&)> observer) {
    std::lock_guard lock(m_mutex);
    m_pageObserver = std::move(observer);
}

std::optional<LoopbackPage> LoopbackMessagingService::page(const std::string& pathAndQuery) {
    std::function<void(const std::string&)> observer;
    {
        std::lock_guard lock(m_mutex);
        observer = m_pageObserver;
    }
    if (observer)
        observer(pathAndQuery);
    std::lock_guard lock(m_mutex);
    m_pageRequests.push_back(pathAndQuery);
    const std::string path = pathAndQuery.substr(0, pathAndQuery.find('?'));
    auto it = m_pages.find(path);
    if (it == m_pages.end())
        return std::nullopt;
    return it->second;
}

bool LoopbackMessagingService::hold() {
    std::unique_lock lock(m_mutex);
    const unsigned ticket = m_releases;
    ++m_heldNow;
    m_stopWake.notify_all();
    m_stopWake.wait(lock, [&] { return m_stop || m_releases != ticket; });
    if (m_releases == ticket)
        --m_heldNow; // a release already counted this call out
    return !m_stop;
}

bool LoopbackMessagingService::waitForHeld(int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_stopWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_heldNow > 0; });
}

void LoopbackMessagingService::release() {
    {
        std::lock_guard lock(m_mutex);
        ++m_releases;
        m_heldNow = 0;
    }
    m_stopWake.notify_all();
}

void LoopbackMessagingService::delay(int ms) {
    std::unique_lock lock(m_mutex);
    m_stopWake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop; });
}
