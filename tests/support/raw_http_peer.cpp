#include "tests/support/raw_http_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

constexpr size_t kMaxHeadBytes = 64 * 1024;
constexpr size_t kMaxBodyBytes = 64 * 1024 * 1024;
constexpr int kIoTimeoutMs = 5000;

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Appends what arrives within the time-out; false on end, error or time-out.
bool ReadMore(int fd, std::string& into) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, kIoTimeoutMs) <= 0)
        return false;
    char buf[65536];
    const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
    if (n <= 0)
        return false;
    into.append(buf, static_cast<size_t>(n));
    return true;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

std::string RequestHead(const std::string& request) {
    const size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? request : request.substr(0, end);
}

std::string RequestBody(const std::string& request) {
    const size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

std::string RequestLine(const std::string& request) {
    return request.substr(0, request.find("\r\n"));
}

std::string HeaderValue(const std::string& request, std::string_view name) {
    const std::string head = RequestHead(request);
    size_t at = head.find("\r\n");
    while (at != std::string::npos) {
        const size_t start = at + 2;
        const size_t end = head.find("\r\n", start);
        const std::string_view line =
            std::string_view(head).substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && EqualNoCase(line.substr(0, colon), name)) {
            std::string_view value = line.substr(colon + 1);
            while (!value.empty() && value.front() == ' ')
                value.remove_prefix(1);
            return std::string(value);
        }
        at = end;
    }
    return {};
}

RawHttpPeer::RawHttpPeer() {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    if (m_listen < 0)
        throw std::runtime_error("raw peer: no socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(m_listen);
        throw std::runtime_error("raw peer: cannot listen on 127.0.0.1");
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

RawHttpPeer::~RawHttpPeer() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopWake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listen);
}

std::string RawHttpPeer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void RawHttpPeer::setReply(RawHttpReply reply) {
    std::lock_guard lock(m_mutex);
    m_reply = std::move(reply);
}

std::vector<std::string> RawHttpPeer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string RawHttpPeer::HttpAnswer(int status, std::string_view contentType, std::string_view body) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") + "\r\n";
    out += "Content-Type: " + std::string(contentType) + "\r\n";
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += body;
    return out;
}

std::string RawHttpPeer::SoapResultAnswer(std::string_view operation, std::string_view resultXml,
                                          std::string_view ns) {
    const std::string op(operation);
    std::string body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                       "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://www.w3.org/2003/05/soap-envelope\" "
                       "xmlns:ns1=\"" +
                       std::string(ns) + "\"><SOAP-ENV:Body><ns1:" + op + "Response><ns1:" + op + "Result>" +
                       std::string(resultXml) + "</ns1:" + op + "Result></ns1:" + op +
                       "Response></SOAP-ENV:Body></SOAP-ENV:Envelope>";
    return HttpAnswer(200, "application/soap+xml; charset=utf-8", body);
}

void RawHttpPeer::run() {
    while (!m_stop) {
        pollfd p{m_listen, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue; // look at the stop flag again
        const int fd = ::accept(m_listen, nullptr, nullptr);
        if (fd < 0)
            continue;
        serve(fd);
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }
}

void RawHttpPeer::serve(int fd) {
    std::string request;
    size_t headEnd;
    while ((headEnd = request.find("\r\n\r\n")) == std::string::npos) {
        if (request.size() > kMaxHeadBytes || !ReadMore(fd, request))
            return;
    }
    const size_t bodyStart = headEnd + 4;
    const std::string length = HeaderValue(request, "Content-Length");
    if (!length.empty()) {
        const size_t want = std::min<size_t>(std::strtoull(length.c_str(), nullptr, 10), kMaxBodyBytes);
        while (request.size() - bodyStart < want)
            if (!ReadMore(fd, request))
                return;
    } else if (EqualNoCase(HeaderValue(request, "Transfer-Encoding"), "chunked")) {
        // Enough for a test peer: the last chunk ends the body.
        while (request.compare(bodyStart, 5, "0\r\n\r\n") != 0 &&
               request.find("\r\n0\r\n\r\n", bodyStart) == std::string::npos) {
            if (request.size() - bodyStart > kMaxBodyBytes || !ReadMore(fd, request))
                return;
        }
    }
    RawHttpReply reply;
    {
        std::unique_lock lock(m_mutex);
        m_requests.push_back(request);
        reply = m_reply;
        if (reply.delayMs > 0)
            m_stopWake.wait_for(lock, std::chrono::milliseconds(reply.delayMs),
                                [this] { return m_stop.load(); });
    }
    if (reply.dripMs <= 0) {
        WriteAll(fd, reply.bytes);
        return;
    }
    for (const char byte : reply.bytes) {
        if (!WriteAll(fd, std::string(1, byte)))
            return;
        std::unique_lock lock(m_mutex);
        if (m_stopWake.wait_for(lock, std::chrono::milliseconds(reply.dripMs), [this] { return m_stop.load(); }))
            return;
    }
}
