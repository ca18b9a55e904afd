#pragma once
// The loopback messaging service: a real SOAP 1.2 server built from the same
// interface as the client, on 127.0.0.1 with an ephemeral port, in its own
// thread. It records every call and answers from a script per operation; it
// also serves the plain GET pages (balance, version upload).
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct LoopbackCall {
    std::string operation;  // "qxSmsSend_g", as on the wire
    std::string action;     // the SOAPAction the request carried
    std::string path;       // the request path ("/webservice.asmx")
    // Every field of the request; std::nullopt when the element was absent.
    std::map<std::string, std::optional<std::string>> fields;
    std::optional<std::string> field(const std::string& name) const {
        auto it = fields.find(name);
        return it == fields.end() ? std::nullopt : it->second;
    }
};

struct LoopbackAnswer {
    enum Kind { Result, NoResult, Fault };
    Kind kind = Result;
    std::string result = "0";
    int delayMs = 0;
    // Waits, request read, until the test calls release(); then answers as
    // the rest of the answer says. A stopping service drops the held call
    // without an answer.
    bool held = false;
    // GetAllInfo2: the RegistryInfo2 elements to send (RESULT, ROLES, ...).
    std::map<std::string, std::string> registryInfo;

    static LoopbackAnswer Text(std::string text, int delayMs = 0) {
        LoopbackAnswer a;
        a.result = std::move(text);
        a.delayMs = delayMs;
        return a;
    }
    static LoopbackAnswer Missing() {
        LoopbackAnswer a;
        a.kind = NoResult;
        return a;
    }
    static LoopbackAnswer SoapFault() {
        LoopbackAnswer a;
        a.kind = Fault;
        return a;
    }
    // Held, then answered as `then` says (result "0" when not given).
    static LoopbackAnswer Held(LoopbackAnswer then) {
        then.held = true;
        return then;
    }
    static LoopbackAnswer Held() { return Held(LoopbackAnswer()); }
    static LoopbackAnswer Registry(std::map<std::string, std::string> fields) {
        LoopbackAnswer a;
        a.registryInfo = std::move(fields);
        return a;
    }
};

struct LoopbackPage {
    int status = 200;
    std::string body;
};

class LoopbackMessagingService {
public:
    // Port 0 lets the system choose.
    explicit LoopbackMessagingService(int port = 0);
    ~LoopbackMessagingService();
    LoopbackMessagingService(const LoopbackMessagingService&) = delete;
    LoopbackMessagingService& operator=(const LoopbackMessagingService&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port><path>"
    std::string url(const std::string& path = "/webservice.asmx") const;

    // The answer of an operation from now on (default: result "0").
    void script(const std::string& operation, LoopbackAnswer answer);
    // Answers used once each, before the standing script.
    void scriptOnce(const std::string& operation, LoopbackAnswer answer);
    // A dynamic answerer consulted first (the trial service); nullopt falls through.
    void setAnswerer(std::function<std::optional<LoopbackAnswer>(const LoopbackCall&)> answerer);

    // Told of every GET request (path and query), e.g. to log it.
    void setPageObserver(std::function<void(const std::string& pathAndQuery)> observer);
    // A plain GET page by path ("/GetBalance.ashx"); others get 404.
    void scriptPage(const std::string& path, LoopbackPage page);

    // Held answers (LoopbackAnswer::Held). The service serves one call at a
    // time: while a call is held, later calls wait behind it.
    // True once a call is held, false after `timeoutMs` without one.
    bool waitForHeld(int timeoutMs = 10000);
    // Lets every call held at this moment answer; a call held later waits
    // for the next release.
    void release();

    std::vector<LoopbackCall> calls() const;
    std::vector<LoopbackCall> calls(const std::string& operation) const;
    // Path and query of every GET request ("/GetBalance.ashx?sn=...").
    std::vector<std::string> pageRequests() const;
    void clear();

    // Used by the server class.
    LoopbackAnswer answerFor(const LoopbackCall& call);
    std::optional<LoopbackPage> page(const std::string& pathAndQuery);
    // Sleeps, but wakes when the service stops.
    void delay(int ms);
    // Waits for release(): true, or false when the service stops first.
    bool hold();

private:
    class Server;
    void run();

    std::unique_ptr<Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_stopWake;
    bool m_stop = false;
    int m_heldNow = 0;
    unsigned m_releases = 0;
    std::vector<LoopbackCall> m_calls;
    std::vector<std::string> m_pageRequests;
    std::map<std::string, LoopbackAnswer> m_scripts;
    std::map<std::string, std::deque<LoopbackAnswer>> m_once;
    std::map<std::string, LoopbackPage> m_pages;
    std::function<std::optional<LoopbackAnswer>(const LoopbackCall&)> m_answerer;
    std::function<void(const std::string&)> m_pageObserver;
};
