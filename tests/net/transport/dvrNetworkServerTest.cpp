#include <gtest/gtest.h>

#include <memory>
#include <poll.h>

#include "dvrRawSocket.h"
#include "transport/dvrNetworkClient.h"
#include "transport/dvrNetworkServer.h"

namespace {

// Waits until the listener has a connection to hand out.
std::unique_ptr<dvrNetwork> acceptOne(dvrNetworkServer& server) {
    pollfd entry{server.listeningHandle(), POLLIN, 0};
    if (poll(&entry, 1, 5000) != 1)
        return nullptr;
    return server.accept();
}

TEST(dvrNetworkServerTest, PortZeroListensOnAFreePortAndAcceptDoesNotWait) {
    dvrNetworkServer server(dvrNetAddress("127.0.0.1", 0));
    EXPECT_EQ(server.accept(), nullptr); // not listening yet
    ASSERT_EQ(server.listen(), 1);
    EXPECT_GT(server.boundPort(), 0);
    EXPECT_EQ(server.accept(), nullptr);
    EXPECT_FALSE(server.isConnected());
}

TEST(dvrNetworkServerTest, AcceptedConnectionsTalkBothWays) {
    dvrNetworkServer server(dvrNetAddress("127.0.0.1", 0));
    ASSERT_EQ(server.listen(), 1);
    dvrRawSocket peer = dvrRawSocket::connectTo("127.0.0.1", server.boundPort());
    std::unique_ptr<dvrNetwork> connection = acceptOne(server);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(connection->isConnected());
    dvrNetAddress address = connection->peerAddress();
    EXPECT_EQ(address.host(), "127.0.0.1");
    EXPECT_EQ(address.port(), peer.localPort());
    peer.write("hello\r\n");
    char line[16];
    EXPECT_EQ(connection->readLine(line, 15), 6);
    EXPECT_STREQ(line, "hello");
    EXPECT_EQ(connection->sendText("world"), 5);
    connection->close();
    EXPECT_EQ(peer.readAll(), "world");
}

TEST(dvrNetworkServerTest, EveryInterfaceTakesIPv4Clients) {
    dvrNetworkServer server(dvrNetAddress("", 0));
    ASSERT_EQ(server.listen(), 1);
    dvrNetworkClient client;
    ASSERT_EQ(client.connect(dvrNetAddress("127.0.0.1", server.boundPort())), 1);
    std::unique_ptr<dvrNetwork> connection = acceptOne(server);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->peerAddress().host(), "127.0.0.1");
}

TEST(dvrNetworkServerTest, IPv6LoopbackWorks) {
    dvrNetworkServer server(dvrNetAddress("::1", 0));
    if (server.listen() != 1)
        GTEST_SKIP() << "this machine has no IPv6 loopback address";
    dvrNetworkClient client;
    ASSERT_EQ(client.connect(dvrNetAddress("::1", server.boundPort())), 1);
    std::unique_ptr<dvrNetwork> connection = acceptOne(server);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->peerAddress().host(), "::1");
    EXPECT_EQ(client.sendText("v6\r\n"), 4);
    char line[8];
    EXPECT_EQ(connection->readLine(line, 7), 3);
    EXPECT_STREQ(line, "v6");
}

TEST(dvrNetworkServerTest, APortInUseCannotBeListenedOn) {
    dvrNetworkServer first(dvrNetAddress("127.0.0.1", 0));
    ASSERT_EQ(first.listen(), 1);
    dvrNetworkServer second(dvrNetAddress("127.0.0.1", first.boundPort()));
    testing::internal::CaptureStdout();
    EXPECT_EQ(second.listen(), -1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Cannot listen"), std::string::npos);
    EXPECT_FALSE(second.isListening());
    EXPECT_EQ(second.accept(), nullptr);
}

TEST(dvrNetworkServerTest, CloseStopsListeningAndFreesThePort) {
    dvrNetworkServer server(dvrNetAddress("127.0.0.1", 0));
    ASSERT_EQ(server.listen(), 1);
    int port = server.boundPort();
    EXPECT_TRUE(server.close());
    EXPECT_FALSE(server.close());
    dvrNetworkServer again(dvrNetAddress("127.0.0.1", port));
    EXPECT_EQ(again.listen(), 1);
}

} // namespace
