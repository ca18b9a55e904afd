#include "service/web_service_client.h"
#include "tests/support/service_fixture.h"

#include <gtest/gtest.h>

namespace {

class ClientSmoke : public ServiceTest {};

TEST_F(ClientSmoke, SmsReachesTheLoopbackService) {
    m_main->script("qxSmsSend", LoopbackAnswer::Text("1234567890"));
    CWebServiceClient client(QString::fromLatin1(kSerial), QString::fromLatin1(kPassword));
    std::string id;
    EXPECT_EQ(client.CallSmsSend(id, "13800000000", QStringLiteral("你好"), QString(), ""), 0);
    EXPECT_EQ(id, "1234567890");
    auto calls = m_main->calls("qxSmsSend");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].field("content").value_or("?"), "你好");
    EXPECT_EQ(calls[0].path, "/webservice.asmx");
    EXPECT_EQ(calls[0].action, "http://ns.corvelane.invalid/qxSmsSend");
    m_backup->scriptPage("/GetBalance.ashx", {200, "100.5"});
    QString reply;
    EXPECT_EQ(client.HttpGetBalance(reply), 0);
    EXPECT_EQ(reply, "100.5");
    m_backup->scriptPage("/GetBalance.ashx", {500, "boom"});
    EXPECT_EQ(client.HttpGetBalance(reply), -3);
}

} // namespace
