#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "dvrCapturedLog.h"
#include "dvrRawSocket.h"
#include "transport/dvrNetworkClient.h"

namespace {

// A client connection of the transport with a raw socket at the other end.
class dvrNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        listener = dvrRawSocket::listenOnLoopback();
        ASSERT_EQ(client.connect(dvrNetAddress("127.0.0.1", listener.port())), 1);
        peer = listener.accept();
        ASSERT_TRUE(peer.isOpen());
    }

    std::string readLine(int maximum, int& result) {
        std::vector<char> buffer(static_cast<std::size_t>(maximum) + 1, '#');
        result = client.readLine(buffer.data(), maximum);
        return result > 0 ? std::string(buffer.data()) : std::string();
    }

    dvrRawSocket listener;
    dvrNetworkClient client;
    dvrRawSocket peer;
};

struct LineCase {
    const char* name;
    std::string bytes;
    int maximum;
    std::vector<std::string> lines; // each read in turn returns the text and its length plus one
};

TEST_F(dvrNetworkTest, ReadLineFollowsTheLineRules) {
    const std::vector<LineCase> cases = {
        {"CR LF ends a line", "abc\r\n", 1024, {"abc"}},
        {"CR and the byte after it are dropped", "ab\rxc\r\n", 1024, {"abc"}},
        {"LF alone is an ordinary character", "ab\n\r\n", 1024, {"ab\n"}},
        {"an empty line", "\r\n", 1024, {""}},
        {"a longer line is cut and its rest read next", "abcdef\r\n", 3, {"abc", "def", ""}},
        {"a long line in pieces of the maximum", std::string(2500, 'x') + "\r\n", 1024,
         {std::string(1024, 'x'), std::string(1024, 'x'), std::string(452, 'x')}},
        {"two lines in one packet", "one\r\ntwo\r\n", 1024, {"one", "two"}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        peer.write(c.bytes);
        for (const std::string& expected : c.lines) {
            int result = 0;
            std::string line = readLine(c.maximum, result);
            EXPECT_EQ(result, static_cast<int>(expected.size()) + 1);
            EXPECT_EQ(line, expected);
        }
    }
}

TEST_F(dvrNetworkTest, ReadLineFailsWhenThePeerClosesInTheMiddle) {
    peer.write("abc");
    peer.close();
    int result = 0;
    readLine(1024, result);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(dvrNetworkTest, ReceiveWaitsForExactlyTheLengthAskedFor) {
    std::thread writer([this] {
        peer.write("0123");
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        peer.write("456789tail");
    });
    char buffer[10] = {};
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 10);
    writer.join();
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    char rest[4] = {};
    EXPECT_EQ(client.receive(rest, sizeof rest), 4);
    EXPECT_EQ(std::string(rest, 4), "tail");
}

TEST_F(dvrNetworkTest, LargePayloadArrivesWhole) {
    std::string payload(1 << 20, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>(i * 7 + i / 1000);
    std::thread writer([&] { peer.write(payload); });
    std::string received(payload.size(), '\0');
    EXPECT_EQ(client.receive(received.data(), received.size()), static_cast<int>(payload.size()));
    writer.join();
    EXPECT_EQ(received, payload);
}

TEST_F(dvrNetworkTest, NothingWithinTheTimeOutIsZeroAndKeepsTheConnection) {
    client.setTimeout(100);
    char buffer[4];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 0);
    EXPECT_TRUE(client.isConnected());
    EXPECT_EQ(client.receive(buffer, 0), 0);
    peer.write("late");
    EXPECT_EQ(client.receive(buffer, sizeof buffer), 4);
}

TEST_F(dvrNetworkTest, EndOfStreamIsAFailureThatEndsTheConnection) {
    // Nothing at all, then the end: never a time-out, never a short read to spin on.
    peer.close();
    char buffer[4];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), -1);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(dvrNetworkTest, PeerClosingInTheMiddleOfAReceiveFails) {
    peer.write("ab");
    peer.close();
    char buffer[10];
    EXPECT_EQ(client.receive(buffer, sizeof buffer), -1);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(dvrNetworkTest, CloseFromAnotherThreadEndsAWaitingReader) {
    client.setTimeout(60000);
    std::atomic<int> result{1};
    std::thread reader([&] {
        char buffer[8];
        result = client.receive(buffer, sizeof buffer);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(client.close());
    reader.join();
    EXPECT_EQ(result.load(), -1);
    EXPECT_FALSE(client.isConnected());
    EXPECT_FALSE(client.close());
    // The peer sees the connection end.
    EXPECT_EQ(peer.readAll(), "");
}

TEST_F(dvrNetworkTest, SendOfNothingSendsNothing) {
    EXPECT_EQ(client.send("x", 0), 0);
    EXPECT_EQ(client.sendText("line\r\n"), 6);
    client.close();
    EXPECT_EQ(peer.readAll(), "line\r\n");
}

TEST_F(dvrNetworkTest, ClosedConnectionsWarnAndFail) {
    dvrCapturedLog log;
    client.close();
    EXPECT_EQ(client.send("x", 1), -1);
    EXPECT_TRUE(log.contains("[NET] Attempting to send through a closed connection!"));
    char buffer[1];
    EXPECT_EQ(client.receive(buffer, 1), -1);
    EXPECT_TRUE(log.contains("[NET] Attempting to receive through a closed connection!"));
    int result = 0;
    readLine(10, result);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(client.isReadable());
}

TEST_F(dvrNetworkTest, SendToAPeerThatWentAwayFailsWithoutKillingTheProcess) {
    peer.close();
    std::string block(65536, 'x');
    int result = 0;
    for (int i = 0; i < 100 && result >= 0; ++i)
        result = client.send(block.data(), block.size());
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(dvrNetworkTest, SendGivesUpWhenThePeerStopsReading) {
    client.setTimeout(100);
    std::string block(64 << 20, 'x');
    EXPECT_EQ(client.send(block.data(), block.size()), -1);
    EXPECT_FALSE(client.isConnected());
}

TEST_F(dvrNetworkTest, ReadableReportsDataAndTheEndOfTheStream) {
    EXPECT_FALSE(client.isReadable());
    peer.write("a");
    EXPECT_TRUE(client.isReadable());
    char byte;
    EXPECT_EQ(client.receive(&byte, 1), 1);
    EXPECT_FALSE(client.isReadable());
    peer.close();
    EXPECT_TRUE(client.isReadable());
}

TEST_F(dvrNetworkTest, PeerAddressIsTheNumericAddressAndPort) {
    dvrNetAddress address = client.peerAddress();
    EXPECT_EQ(address.host(), "127.0.0.1");
    EXPECT_EQ(address.port(), listener.port());
}

TEST(dvrNetworkClientTest, ConnectFailsWithoutAListener) {
    int port;
    {
        dvrRawSocket probe = dvrRawSocket::listenOnLoopback();
        port = probe.port();
    }
    dvrNetworkClient client;
    EXPECT_EQ(client.connect(dvrNetAddress("127.0.0.1", port)), -1);
    EXPECT_FALSE(client.isConnected());
    EXPECT_EQ(client.connect(dvrNetAddress("no-such-host.invalid", 80)), -1);
}

TEST(dvrNetAddressTest, HostIsBounded) {
    dvrNetAddress address(std::string(300, 'h'), 70000);
    EXPECT_EQ(address.host().size(), dvrNetAddress::maximumHostLength);
    EXPECT_EQ(address.port(), 70000);
}

} // namespace
