#pragma once
// An independent HTTP peer on raw sockets, for what the SOAP runtime puts on
// the wire and for answers no well-behaved server gives. It listens on
// 127.0.0.1 with an ephemeral port, reads each request whole (head, then the
// body by Content-Length or chunks), keeps it byte for byte and answers with
// the bytes it was given. A proxied request arrives here as it would at an
// HTTP proxy (absolute URL, Proxy-Authorization), so the peer stands in for a
// proxy too. One connection at a time; every read and wait is bounded.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

struct RawHttpReply {
    std::string bytes; // written as given; empty: close without answering
    int delayMs = 0;   // waited before answering (the peer's stop ends the wait)
    int dripMs = 0;    // > 0: the answer goes one byte at a time, this long apart
};

class RawHttpPeer {
public:
    RawHttpPeer();
    ~RawHttpPeer();
    RawHttpPeer(const RawHttpPeer&) = delete;
    RawHttpPeer& operator=(const RawHttpPeer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port><path>"
    std::string url(const std::string& path = "/webservice.asmx") const;

    // The answer to every later request.
    void setReply(RawHttpReply reply);
    // Every request so far, whole (head and body as received).
    std::vector<std::string> requests() const;

    // An HTTP/1.1 answer with Content-Length, closing the connection.
    static std::string HttpAnswer(int status, std::string_view contentType, std::string_view body);
    // 200 with a SOAP 1.2 envelope: <ns1:OpResponse><ns1:OpResult>text</...>,
    // `ns` the namespace URI the client expects. `resultXml` goes in as is.
    static std::string SoapResultAnswer(std::string_view operation, std::string_view resultXml,
                                        std::string_view ns = "http://ns.corvelane.invalid/");

private:
    void run();
    void serve(int fd);

    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_stopWake;
    RawHttpReply m_reply;
    std::vector<std::string> m_requests;
};

// Parts of a recorded request.
std::string RequestHead(const std::string& request); // up to the blank line, without it
std::string RequestBody(const std::string& request); // after the blank line (chunks as sent)
std::string RequestLine(const std::string& request); // "POST /webservice.asmx HTTP/1.1"
// The first header of that name (case-insensitive), value without the
// leading blanks; empty when absent.
std::string HeaderValue(const std::string& request, std::string_view name);
