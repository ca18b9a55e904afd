// How a call ended, as the client tells it after the wrapper returned: the
// service's answer (whatever it says), a request that never went out whole,
// or a request that went out and got no answer it could read. The wrappers'
// own results must not change with it.
#include "platform/ini.h"
#include "service/service_state.h"
#include "service/web_service_client.h"
#include "tests/support/raw_http_peer.h"
#include "tests/support/service_fixture.h"
#include "tests/support/test_helpers.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// The suite bears the enum's name; inside it the enum goes by this one.
using Outcome = ::CallOutcome;

const char* Name(Outcome outcome) {
    switch (outcome) {
    case Outcome::Answered:
        return "Answered";
    case Outcome::NotSent:
        return "NotSent";
    case Outcome::NoAnswer:
        return "NoAnswer";
    }
    return "?";
}

// A port that takes connections but never reads from them: a request larger
// than the socket buffers can never be written whole.
class DeafListener {
public:
    DeafListener() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int small = 4096; // inherited by the accepted connections
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), len) == 0 && ::listen(m_fd, 4) == 0 &&
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            m_port = ntohs(addr.sin_port);
    }
    ~DeafListener() { ::close(m_fd); }
    DeafListener(const DeafListener&) = delete;
    DeafListener& operator=(const DeafListener&) = delete;

    int port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/webservice.asmx"; }

private:
    int m_fd = -1;
    int m_port = 0;
};

class CallOutcome : public ServiceTest {
protected:
    CWebServiceClient Client() { return CWebServiceClient(Q(kSerial), Q(kPassword)); }
    void SetIntlEndpoint(const std::string& url) {
        ini::WriteString(m_folder->file("ServerInfo.ini"), "Deployment", "IntlEndpoint",
                         QString::fromStdString(url));
    }
};

// Where a case's call goes. Each case gets peers of its own, so a delayed
// answer of one case never holds back the next.
struct Target {
    enum Kind { Loopback, Raw, ClosedPort, Unconfigured } kind = Loopback;
    LoopbackAnswer answer; // Loopback
    std::string reply;     // Raw: the bytes; empty closes once the request is read
};

Target Answer(LoopbackAnswer answer) {
    Target t;
    t.answer = std::move(answer);
    return t;
}

Target RawReply(std::string bytes) {
    Target t;
    t.kind = Target::Raw;
    t.reply = std::move(bytes);
    return t;
}

Target Only(Target::Kind kind) {
    Target t;
    t.kind = kind;
    return t;
}

// What a case's answer amounts to for a wrapper's result.
enum class Ending { Id, Refusal, Fault, NoResult, NoNumber, Transport };

// Everything but an id is -1 (the SMS, gxmt and MMS wrappers).
int ZeroOrMinusOne(Ending e) {
    return e == Ending::Id ? 0 : -1;
}
// A failure of the transport or a fault is "网络错误." and -999.
int Fax(Ending e) {
    return e == Ending::Fault || e == Ending::Transport ? kResultNetworkFailure : ZeroOrMinusOne(e);
}
// The service's code itself when it holds a number.
int Audio(Ending e) {
    switch (e) {
    case Ending::Id:
        return 123456;
    case Ending::Refusal:
        return -4;
    case Ending::NoResult:
    case Ending::NoNumber:
        return -1;
    case Ending::Fault:
    case Ending::Transport:
        break;
    }
    return kResultNetworkFailure;
}

struct Wrapper {
    const char* name;
    const char* operation; // as the loopback service records it
    bool international;
    bool givesId;
    int (*result)(Ending);
    std::function<int(CWebServiceClient&, std::string& id)> call;
};

TEST_F(CallOutcome, EveryWayACallEndsAndWhatTheWrappersStillReturn) {
    const QString fax = m_folder->file("page.tif");
    m_folder->writeFile(QStringLiteral("page.tif"), QByteArray("fax page"));
    const Wrapper wrappers[] = {
        {"CallSmsSend", "qxSmsSend", false, true, ZeroOrMinusOne,
         [](CWebServiceClient& c, std::string& id) {
             return c.CallSmsSend(id, "13800000000", Q("您好"), QString(), "");
         }},
        {"CallSmsSendIntl", "qxSmsSend_g", true, true, ZeroOrMinusOne,
         [](CWebServiceClient& c, std::string& id) {
             return c.CallSmsSendIntl(id, "0085212345678", Q("您好"), QString(), "");
         }},
        {"CallSmsSendAuto", "qxSmsSend", false, true, ZeroOrMinusOne,
         [](CWebServiceClient& c, std::string& id) {
             return c.CallSmsSendAuto(Q("13800000000"), Q("您好"), QString(), id);
         }},
        {"CallGxmt", "gxmt", false, false, ZeroOrMinusOne,
         [](CWebServiceClient& c, std::string&) {
             return c.CallGxmt(Q("13800000000"), Q("您好"), QString(), QString());
         }},
        {"CallMmsSend", "qxMmsSend", false, false, ZeroOrMinusOne,
         [](CWebServiceClient& c, std::string&) {
             return c.CallMmsSend({MMSCONTENT{QString(), QString(), QString(), Q("您好")}}, Q("t"),
                                  Q("13800000000"), QString());
         }},
        {"CallFaxSend", "qxFaxSend", false, false, Fax,
         [&](CWebServiceClient& c, std::string&) { return c.CallFaxSend(Q("13800000000"), fax, QString()); }},
        {"CallAudioSend", "qxAudioSend", false, false, Audio,
         [](CWebServiceClient& c, std::string&) {
             return c.CallAudioSend(Q("t"), Q("13800000000"), QString(), Q("您好"), QString(), QString());
         }},
    };
    struct Case {
        const char* what;
        Target target;
        Outcome outcome;
        Ending ending;
        int timeoutCap = 0;
    };
    const std::string soap = "application/soap+xml; charset=utf-8";
    const Case cases[] = {
        {"an id", Answer(LoopbackAnswer::Text("123456")), Outcome::Answered, Ending::Id},
        {"a refusal", Answer(LoopbackAnswer::Text("-4")), Outcome::Answered, Ending::Refusal},
        {"a fault", Answer(LoopbackAnswer::SoapFault()), Outcome::Answered, Ending::Fault},
        {"no result element", Answer(LoopbackAnswer::Missing()), Outcome::Answered, Ending::NoResult},
        // A result that holds no number cannot tell whether the send was taken.
        {"an empty result", Answer(LoopbackAnswer::Text("")), Outcome::NoAnswer, Ending::NoNumber},
        {"a result without a number", Answer(LoopbackAnswer::Text("abc")), Outcome::NoAnswer,
         Ending::NoNumber},
        {"closed after the request", RawReply(""), Outcome::NoAnswer, Ending::Transport},
        {"an answer that is not XML", RawReply(RawHttpPeer::HttpAnswer(200, soap, "not xml at all")),
         Outcome::NoAnswer, Ending::Transport},
        {"a cut envelope", RawReply(RawHttpPeer::HttpAnswer(200, soap, "<SOAP-ENV:Envelope")),
         Outcome::NoAnswer, Ending::Transport},
        {"an HTML error page", RawReply(RawHttpPeer::HttpAnswer(500, "text/html", "<html>down</html>")),
         Outcome::NoAnswer, Ending::Transport},
        {"an answer later than the time-out", Answer(LoopbackAnswer::Text("123456", 4000)), Outcome::NoAnswer,
         Ending::Transport, 1},
        {"a refused port", Only(Target::ClosedPort), Outcome::NotSent, Ending::Transport},
        {"an unconfigured host", Only(Target::Unconfigured), Outcome::NotSent, Ending::Transport},
    };
    for (const Case& c : cases) {
        for (const Wrapper& w : wrappers) {
            SCOPED_TRACE(std::string(c.what) + ", " + w.name);
            std::unique_ptr<LoopbackMessagingService> service;
            std::unique_ptr<RawHttpPeer> peer;
            std::string url;
            switch (c.target.kind) {
            case Target::Loopback:
                service = std::make_unique<LoopbackMessagingService>();
                service->script(w.operation, c.target.answer);
                url = service->url();
                break;
            case Target::Raw:
                peer = std::make_unique<RawHttpPeer>();
                peer->setReply({c.target.reply});
                url = peer->url();
                break;
            case Target::ClosedPort:
                url = ClosedEndpoint();
                break;
            case Target::Unconfigured:
                url = "http://service.corvelane.invalid:8060/webservice.asmx";
                break;
            }
            CWebServiceClient client = Client();
            if (w.international)
                SetIntlEndpoint(url);
            else
                client.SetEndpoint(url.c_str());
            client.SetTimeoutCap(c.timeoutCap);

            QElapsedTimer timer;
            timer.start();
            std::string id = "kept";
            const int result = w.call(client, id);

            EXPECT_STREQ(Name(client.LastCallOutcome()), Name(c.outcome));
            EXPECT_EQ(result, w.result(c.ending));
            if (w.givesId) {
                EXPECT_EQ(id, c.ending == Ending::Id ? "123456" : "kept");
            }
            if (c.timeoutCap > 0) {
                EXPECT_LT(timer.elapsed(), 3500); // the time-out ended it, not the answer
            }

            // The peer's own record agrees: whatever was not sent never arrived.
            const size_t arrived = service ? service->calls(w.operation).size()
                                   : peer  ? peer->requests().size()
                                           : 0;
            EXPECT_EQ(arrived, c.outcome == Outcome::NotSent ? 0u : 1u);
        }
    }
    SetIntlEndpoint(m_backup->url("/gjwebservice.asmx"));
}

// A request that cannot be written whole (the peer never reads, the send
// times out) is not sent, although the connection was made.
TEST_F(CallOutcome, ARequestCutOffWhileBeingWrittenIsNotSent) {
    DeafListener deaf;
    ASSERT_GT(deaf.port(), 0);
    CWebServiceClient client = Client();
    client.SetEndpoint(deaf.url().c_str());
    client.SetTimeoutCap(1);
    client.proxy().sndbuf = 4096; // else the kernel may swallow the whole request
    std::string id = "kept";
    const QString huge(4 * 1024 * 1024, QLatin1Char('a'));
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", huge, QString(), ""), -1);
    EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::NotSent));
    EXPECT_EQ(id, "kept");
}

// A wrapper that gives up before it calls leaves no earlier call's outcome
// behind: nothing of this call went out.
TEST_F(CallOutcome, AWrapperThatGivesUpBeforeCallingSentNothing) {
    struct Case {
        const char* what;
        std::function<int(CWebServiceClient&)> call;
        int result;
    };
    const Case cases[] = {
        {"a timing time outside ASCII",
         [](CWebServiceClient& c) {
             std::string id;
             return c.CallSmsSend(id, "13800000000", Q("hi"), Q("明天"), "");
         },
         -1},
        {"a sound file that cannot be opened",
         [this](CWebServiceClient& c) {
             return c.CallAudioSend(Q("t"), Q("13800000000"), m_folder->file("none.wav"), Q("hi"), QString(),
                                    QString());
         },
         kResultFileNotOpened},
        {"a fax document that cannot be opened",
         [this](CWebServiceClient& c) {
             return c.CallFaxSend(Q("13800000000"), m_folder->file("none.tif"), QString());
         },
         kResultFileNotOpened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CWebServiceClient client = Client();
        std::string id;
        ASSERT_EQ(client.CallSmsSend(id, "13800000000", Q("hi"), QString(), ""), 0);
        ASSERT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::Answered));
        m_main->clear();
        EXPECT_EQ(c.call(client), c.result);
        EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::NotSent));
        EXPECT_TRUE(m_main->calls().empty());
    }
}

// Whoever else watches the connection's receive side still gets called.
int g_otherHookCalls = 0;
int OtherHook(struct soap*) {
    ++g_otherHookCalls;
    return SOAP_OK;
}

TEST_F(CallOutcome, AReceiveHookInstalledBeforeStillRuns) {
    g_otherHookCalls = 0;
    CWebServiceClient client = Client();
    client.proxy().fprepareinitrecv = OtherHook;
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", Q("hi"), QString(), ""), 0);
    EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::Answered));
    EXPECT_EQ(g_otherHookCalls, 1);

    client.SetEndpoint(ClosedEndpoint().c_str());
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", Q("hi"), QString(), ""), -1);
    EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::NotSent));
    EXPECT_EQ(g_otherHookCalls, 1); // nothing to receive when nothing went out
}

// The service holds the answer until the test lets it go; the call waits for
// it meanwhile, and then ends as with any answer.
TEST_F(CallOutcome, AHeldAnswerEndsTheCallWhenReleased) {
    m_main->script("qxSmsSend", LoopbackAnswer::Held(LoopbackAnswer::Text("555")));
    CWebServiceClient client = Client();
    std::atomic<bool> done{false};
    std::string id;
    auto call = std::async(std::launch::async, [&] {
        const int rc = client.CallSmsSend(id, "13800000000", Q("hi"), QString(), "");
        done = true;
        return rc;
    });
    ASSERT_TRUE(m_main->waitForHeld());
    EXPECT_EQ(m_main->calls("qxSmsSend").size(), 1u); // the request is in
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(done);
    m_main->release();
    ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(call.get(), 0);
    EXPECT_EQ(id, "555");
    EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::Answered));
    EXPECT_FALSE(m_main->waitForHeld(0)); // nothing is held any more
}

// A held answer never released ends with the service: no test hangs on it,
// and the client sees a request that got no answer.
TEST_F(CallOutcome, AHeldAnswerEndsWhenTheServiceStops) {
    auto service = std::make_unique<LoopbackMessagingService>();
    service->script("qxAudioSend", LoopbackAnswer::Held());
    CWebServiceClient client = Client();
    client.SetEndpoint(service->url().c_str());
    auto call = std::async(std::launch::async, [&] {
        return client.CallAudioSend(Q("t"), Q("13800000000"), QString(), Q("hi"), QString(), QString());
    });
    ASSERT_TRUE(service->waitForHeld());
    QElapsedTimer timer;
    timer.start();
    service.reset();
    EXPECT_LT(timer.elapsed(), 5000);
    ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(call.get(), kResultNetworkFailure);
    EXPECT_STREQ(Name(client.LastCallOutcome()), Name(Outcome::NoAnswer));
}

} // namespace
