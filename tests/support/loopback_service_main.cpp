// corvelane-loopback-service: the loopback messaging service as a program of
// its own, for trying the client without the real service.
//
//   corvelane-loopback-service [--port N] [--serial S]
//
// The trial password comes from the environment (CORVELANE_TRIAL_PASSWORD,
// default "trial"), never from the command line, where any user could read it.
//
// It serves on 127.0.0.1 (port 0, the default, lets the system choose), prints
// "PORT <n>" on standard output once it listens, and runs until SIGINT or
// SIGTERM, or until its standard input closes when that is a pipe or a
// terminal (so a parent process that dies takes it along). One line per call
// goes to standard error: the operation, the serial number, for a send its
// numbers, timing time and text, and the answer.
//
// It knows one trial account. Sends, receives, reports and the balance must
// carry the account's digest, GetStatus, UDPPwd, ChargUp and GetAllInfo2 its
// plain password; any other account gets "-2". Accepted sends get increasing
// send ids and a delivery report per number (a gxmt item under its own rrid); a few received messages wait
// for the first "mo". Nothing is delivered anywhere.
#include "core/helpers.h"
#include "core/md5.h"
#include "platform/encoding.h"
#include "tests/support/loopback_service.h"

#include <QString>

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

namespace {

constexpr const char* kServiceCode = "10690000";

struct Options {
    int port = 0;
    std::string serial = "TRIAL-0001";
    std::string password = "trial";
};

void Usage() {
    std::cerr << "usage: CORVELANE_TRIAL_PASSWORD=P corvelane-loopback-service [--port N] [--serial S]\n";
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            return false;
        const std::string value = argv[++i];
        if (arg == "--port") {
            char* end = nullptr;
            const long port = std::strtol(value.c_str(), &end, 10);
            if (value.empty() || *end || port < 0 || port > 65535)
                return false;
            options.port = static_cast<int>(port);
        } else if (arg == "--serial") {
            options.serial = value;
        } else {
            return false;
        }
    }
    return true;
}

// Percent escapes over code page 936 bytes, "+" for a blank: how the service
// writes the text of a received message.
std::string PercentEncodeGbk(const QString& text) { return UrlEncode(enc::ToGbk(text)); }

// A page request as the log shows it: every "pwd=" value (a password digest)
// cut to its first four characters, as the client's own log does.
std::string MaskDigests(std::string request) {
    for (size_t at = request.find("pwd="); at != std::string::npos; at = request.find("pwd=", at)) {
        at += 4;
        const size_t end = std::min(request.find('&', at), request.size());
        if (end - at > 4)
            request.replace(at + 4, end - at - 4, "...");
        at += std::min<size_t>(end - at, 7);
    }
    return request;
}

std::string Field(const LoopbackCall& call, const char* name) {
    return call.field(name).value_or("");
}

// A text on one log line: CR LF (records) as " / ", other line breaks as blanks.
std::string OneLine(std::string text) {
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, " / ");
    for (char& c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

// What a send asked for, so the log shows which numbers got which text. The
// attachments of faxes, voice and MMS (base64) stay out of it.
std::string Request(const LoopbackCall& call) {
    const std::string& op = call.operation;
    const char* text = op == "qxSmsSend" || op == "qxSmsSend_g" || op == "gxmt" ? "content"
                       : op == "qxAudioSend"                                    ? "txt"
                                                                                : nullptr;
    if (!call.field("mobile"))
        return {};
    std::string out = " mobile=" + Field(call, "mobile");
    if (const std::string stime = Field(call, "stime"); !stime.empty())
        out += " stime=" + stime;
    if (text)
        out += std::string(" ") + text + "=" + OneLine(Field(call, text));
    return out;
}

// The trial account's side of the service. Called on the service's thread.
class TrialAccount {
public:
    TrialAccount(const Options& options, int port)
        : m_serial(options.serial), m_password(options.password), m_port(port) {
        UpdateDigest();
        const char* const texts[] = {"你好，请问明天几点开会？", "收到，谢谢！", "TD"};
        int id = 1;
        for (const char* text : texts) {
            m_messages.push_back(std::to_string(900000 + id) + "," + kServiceCode + "01,13800138000," +
                                 PercentEncodeGbk(QString::fromUtf8(text)) + ",2026-12-10 10:00:0" +
                                 std::to_string(id));
            ++id;
        }
    }

    std::optional<LoopbackAnswer> Answer(const LoopbackCall& call) {
        std::lock_guard lock(m_mutex);
        const std::string& op = call.operation;
        static const std::set<std::string> kPlainPassword = {"GetStatus", "UDPPwd", "ChargUp", "GetAllInfo2"};
        const std::string& expected = kPlainPassword.count(op) ? m_password : m_digest;
        const bool known = Field(call, "sn") == m_serial && Field(call, "pwd") == expected;
        LoopbackAnswer answer = known ? AnswerKnown(call) : Refused(op);
        const std::string shown =
            OneLine(op == "GetAllInfo2" ? "RESULT " + answer.registryInfo["RESULT"] : answer.result);
        std::cerr << op << " sn=" << Field(call, "sn") << Request(call) << " -> " << shown << std::endl;
        return answer;
    }

private:
    static LoopbackAnswer Refused(const std::string& op) {
        if (op == "GetAllInfo2")
            return LoopbackAnswer::Registry({{"RESULT", "-2"}});
        return LoopbackAnswer::Text("-2");
    }

    LoopbackAnswer AnswerKnown(const LoopbackCall& call) {
        const std::string& op = call.operation;
        if (op == "qxAudioSend") {
            // The voice service answers a number above 10000 that the
            // client reads as an int: an id of nine digits.
            return LoopbackAnswer::Text(Accept(Field(call, "mobile"), 100000000LL));
        }
        if (op == "gxmt")
            return LoopbackAnswer::Text(AcceptGxmt(Field(call, "mobile"), Field(call, "rrid")));
        if (op == "qxSmsSend" || op == "qxSmsSend_g" || op == "qxFaxSend" || op == "qxMmsSend")
            return LoopbackAnswer::Text(Accept(Field(call, "mobile")));
        if (op == "mo")
            return LoopbackAnswer::Text(HandOut(m_messages));
        if (op == "report")
            return LoopbackAnswer::Text(HandOut(m_reports));
        if (op == "balance")
            return LoopbackAnswer::Text("1000");
        if (op == "UDPPwd") {
            // The new password holds from now on, as on the real service.
            if (const std::string next = Field(call, "newpwd"); !next.empty()) {
                m_password = next;
                UpdateDigest();
            }
            return LoopbackAnswer::Text("0");
        }
        if (op == "GetAllInfo2")
            return LoopbackAnswer::Registry({{"RESULT", "0"},
                                             {"ROLES", "0"},
                                             {"SERVICECODE", kServiceCode},
                                             {"SLIST", "127.0.0.1:" + std::to_string(m_port)},
                                             {"UPDATE", "0"},
                                             {"BALANCE", "1000"}});
        return LoopbackAnswer::Text("0"); // GetStatus, ChargUp
    }

    // A new send id, and a delivery report for each of the numbers.
    std::string Accept(const std::string& mobiles, long long base = 2026121000000LL) {
        const std::string id = std::to_string(base + ++m_sends);
        size_t start = 0;
        while (start <= mobiles.size()) {
            size_t comma = mobiles.find(',', start);
            if (comma == std::string::npos)
                comma = mobiles.size();
            const std::string number = mobiles.substr(start, comma - start);
            if (!number.empty())
                m_reports.push_back(std::to_string(700000 + m_reports.size() + m_reportsHandedOut + 1) + "," +
                                    kServiceCode + "," + number + "," + id + ",DELIVRD");
            start = comma + 1;
        }
        return id;
    }

    // gxmt: each item is reported under the rrid the client gave it (the
    // send id when the client gave none).
    std::string AcceptGxmt(const std::string& mobiles, const std::string& rrids) {
        const std::string id = std::to_string(2026121000000LL + ++m_sends);
        const std::vector<std::string> numbers = SplitAtCommas(mobiles);
        const std::vector<std::string> refs = SplitAtCommas(rrids);
        for (size_t i = 0; i < numbers.size(); ++i) {
            if (numbers[i].empty())
                continue;
            const std::string& ref = i < refs.size() && !refs[i].empty() ? refs[i] : id;
            m_reports.push_back(std::to_string(700000 + m_reports.size() + m_reportsHandedOut + 1) + "," +
                                kServiceCode + "," + numbers[i] + "," + ref + ",DELIVRD");
        }
        return id;
    }

    static std::vector<std::string> SplitAtCommas(const std::string& list) {
        std::vector<std::string> items;
        if (list.empty())
            return items;
        size_t start = 0;
        for (;;) {
            const size_t comma = list.find(',', start);
            items.push_back(
                list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (comma == std::string::npos)
                return items;
            start = comma + 1;
        }
    }

    // Every waiting record once, CR LF between them; "1" when none waits.
    std::string HandOut(std::deque<std::string>& queue) {
        if (queue.empty())
            return "1";
        std::string out;
        for (const std::string& record : queue)
            out += (out.empty() ? "" : "\r\n") + record;
        if (&queue == &m_reports)
            m_reportsHandedOut += queue.size();
        queue.clear();
        return out;
    }

    void UpdateDigest() {
        m_digest = ServiceDigest(QString::fromUtf8(m_serial), QString::fromUtf8(m_password));
    }

    std::mutex m_mutex;
    std::string m_serial;
    std::string m_password;
    std::string m_digest;
    int m_port;
    long long m_sends = 0;
    size_t m_reportsHandedOut = 0;
    std::deque<std::string> m_messages;
    std::deque<std::string> m_reports;
};

bool StdinEndsTheRun() {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) != 0)
        return false;
    return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || ::isatty(STDIN_FILENO);
}

// Blocks until SIGINT, SIGTERM or the end of standard input.
void WaitForTheEnd(const sigset_t& stopSignals) {
    const int sigfd = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);
    const bool watchStdin = StdinEndsTheRun();
    for (;;) {
        pollfd fds[2] = {{sigfd, POLLIN, 0}, {watchStdin ? STDIN_FILENO : -1, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue; // EINTR
        if (fds[0].revents)
            break;
        if (fds[1].revents) {
            char buf[4096];
            if (::read(STDIN_FILENO, buf, sizeof buf) <= 0)
                break;
        }
    }
    ::close(sigfd);
}

// The service on the port asked for. A fixed port needs the service to take
// one; until it does, only port 0 (the system's choice) is served.
std::unique_ptr<LoopbackMessagingService> StartService(int port) {
    return std::make_unique<LoopbackMessagingService>(port);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        Usage();
        return 2;
    }
    if (const char* password = std::getenv("CORVELANE_TRIAL_PASSWORD"); password && *password)
        options.password = password;
    // The signals are taken through a descriptor; every thread started after
    // this inherits the mask, so none of them is interrupted by them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    try {
        std::unique_ptr<LoopbackMessagingService> owned = StartService(options.port);
        if (!owned)
            return 2;
        LoopbackMessagingService& service = *owned;
        // Shared with the answerer: a call still running at the end keeps it alive.
        auto account = std::make_shared<TrialAccount>(options, service.port());
        service.setAnswerer([account](const LoopbackCall& call) { return account->Answer(call); });
        service.setPageObserver(
            [](const std::string& request) { std::cerr << "GET " << MaskDigests(request) << std::endl; });
        service.scriptPage("/GetBalance.ashx", {200, "1000"});
        service.scriptPage("/apis/rims-provider/snExt/synchro/saveCSV", {200, "0"});
        std::cout << "PORT " << service.port() << std::endl;
        std::cerr << "trial account " << options.serial << ", endpoint " << service.url() << std::endl;
        WaitForTheEnd(stopSignals);
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        return 1;
    }
    return 0;
}
