#include <gtest/gtest.h>

#include <atomic>
#include <dirent.h>
#include <filesystem>
#include <poll.h>
#include <thread>

#include "console/dvrCommand.h"
#include "dvrHTTPExchange.h"
#include "dvrHTTPServerFixture.h"
#include "dvrRawSocket.h"
#include "log/dvrLog.h"

namespace {

using dvrHTTPServerLifeTest = dvrHTTPServerFixture;

std::size_t threadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Whether the server has closed (or answered on) the connection yet, without waiting.
bool hasClosedOrAnswered(const dvrRawSocket& socket) {
    pollfd entry{socket.descriptor(), POLLIN, 0};
    return poll(&entry, 1, 0) > 0;
}

void applySet(dvrBoard& board, const char* key, const std::string& type, const std::string& value) {
    board.applySet(dvrCommand::parse("set board HTTPServer " + std::string(key) + " " + type + " " + value));
}

TEST_F(dvrHTTPServerLifeTest, OversizedRequestsAreRefused) {
    const std::string cases[] = {
        "GET /" + std::string(3000, 'a') + " HTTP/1.0\r\n\r\n",
        "GET / HTTP/1.0\r\nX-Long: " + std::string(3000, 'x') + "\r\n\r\n",
        [] {
            std::string many = "GET / HTTP/1.0\r\n";
            for (int i = 0; i < 100; ++i)
                many += "X-Header-" + std::to_string(i) + ": value\r\n";
            return many + "\r\n";
        }(),
        "GET / HTTP/1.0\r\nBroken\rheader\r\n\r\n",
    };
    for (const std::string& request : cases) {
        SCOPED_TRACE(request.substr(0, 40));
        dvrHTTPExchange answer = dvrHTTPExchange::send(port, request);
        EXPECT_EQ(answer.statusLine, "HTTP/1.0 400 Bad Request");
        EXPECT_EQ(answer.body, "[HTTP] Error: Bad request.\r\n");
    }
    // Headers that fit are read and not interpreted; bare LF line ends are accepted too.
    EXPECT_EQ(dvrHTTPExchange::send(port, "GET /camera/1 HTTP/1.0\nHost: x\nAccept: */*\n\n").status, 200);
}

TEST_F(dvrHTTPServerLifeTest, IdleClientsDoNotHoldTheWorkers) {
    applySet(*server, "maxthreads", "int", "2");
    applySet(*server, "reset", "int", "1");
    port = server->listeningPort();
    ASSERT_EQ(server->workerCount(), 2);
    std::vector<dvrRawSocket> idle;
    for (int i = 0; i < 20; ++i) {
        idle.push_back(dvrRawSocket::connectTo("127.0.0.1", port));
        if (i % 2)
            idle.back().write("GET /camera/1 HTTP/1.0\r\n"); // started, never finished
    }
    dvrHTTPExchange answer = dvrHTTPExchange::get(port, "/camera/1");
    EXPECT_EQ(answer.status, 200);
    // The idle clients were still waiting when the request was answered.
    for (const dvrRawSocket& socket : idle)
        EXPECT_FALSE(hasClosedOrAnswered(socket));
}

TEST_F(dvrHTTPServerLifeTest, ConnectAndCloseCyclesLeaveTheThreadsAlone) {
    std::size_t threads = threadCount();
    for (int i = 0; i < 1000; ++i) {
        dvrRawSocket socket = dvrRawSocket::connectTo("127.0.0.1", port);
        if (i % 3 == 1)
            socket.write("GET /cam");
        if (i % 3 == 2)
            socket.write("GET /camera/1 HTTP/1.0\r\n\r\n");
    }
    EXPECT_EQ(dvrHTTPExchange::get(port, "/camera/2").status, 200);
    EXPECT_EQ(threadCount(), threads);
}

TEST_F(dvrHTTPServerLifeTest, MaxThreadsSizesThePool) {
    const struct {
        const char* value;
        int workers;
    } cases[] = {{"1", 1}, {"5", 5}, {"16", 16}, {"40", 16}, {"0", 1}};
    for (const auto& c : cases) {
        applySet(*server, "maxthreads", "int", c.value);
        applySet(*server, "reset", "int", "1");
        EXPECT_EQ(server->workerCount(), c.workers) << c.value;
        EXPECT_EQ(dvrHTTPExchange::get(server->listeningPort(), "/camera/1").status, 200);
    }
}

TEST_F(dvrHTTPServerLifeTest, ResetListensAgainOnTheCurrentPort) {
    int free;
    {
        dvrRawSocket probe = dvrRawSocket::listenOnLoopback();
        free = probe.port();
    }
    applySet(*server, "port", "int", std::to_string(free));
    EXPECT_EQ(server->listeningPort(), port); // taken at the next start only
    applySet(*server, "reset", "int", "1");
    EXPECT_EQ(server->listeningPort(), free);
    EXPECT_EQ(dvrHTTPExchange::get(free, "/camera/1").status, 200);
    EXPECT_THROW(dvrRawSocket::connectTo("127.0.0.1", port), std::runtime_error);
    server->stop();
    EXPECT_FALSE(server->isStarted());
    EXPECT_EQ(server->listeningPort(), 0);
    EXPECT_THROW(dvrRawSocket::connectTo("127.0.0.1", free), std::runtime_error);
}

TEST_F(dvrHTTPServerLifeTest, StopAndResetWhileRequestsRun) {
    std::atomic<bool> running{true};
    std::atomic<int> answered{0};
    std::vector<std::thread> clients;
    std::atomic<int> currentPort{port};
    for (int i = 0; i < 4; ++i)
        clients.emplace_back([&, i] {
            while (running) {
                try {
                    dvrHTTPExchange answer =
                        dvrHTTPExchange::get(currentPort, i % 2 ? "/camera/2?type=png" : "/camera/1");
                    if (answer.status == 200)
                        ++answered;
                } catch (const std::runtime_error&) {
                    // Refused while the server restarts.
                }
            }
        });
    for (int round = 0; round < 5; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        applySet(*server, "reset", "int", "1");
        currentPort = server->listeningPort();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    server->stop();
    running = false;
    for (auto& client : clients)
        client.join();
    EXPECT_GT(answered.load(), 0);
    EXPECT_EQ(server->listeningPort(), 0);
}

TEST_F(dvrHTTPServerLifeTest, TraceLinesOnlyWithVerboseLogging) {
    dvrLog::setVerbose(false);
    testing::internal::CaptureStdout();
    EXPECT_EQ(dvrHTTPExchange::get(port, "/camera/1").status, 200);
    server->stop();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    dvrLog::setVerbose(true);
    testing::internal::CaptureStdout();
    server->start();
    EXPECT_EQ(dvrHTTPExchange::get(server->listeningPort(), "/camera/1").status, 200);
    server->stop();
    std::string trace = testing::internal::GetCapturedStdout();
    dvrLog::setVerbose(false);
    EXPECT_NE(trace.find("Pyydetty URL: GET /camera/1 HTTP/1.0"), std::string::npos);
    EXPECT_NE(trace.find("accepter käynnistetty, init loppuu"), std::string::npos);
}

} // namespace

namespace {

using dvrHTTPKeepAliveTest = dvrHTTPServerFixture;

// Answers read one after another from one connection, each by its Content-Length.
std::vector<dvrHTTPExchange> readAnswers(const dvrRawSocket& socket, std::size_t count) {
    std::vector<dvrHTTPExchange> answers;
    std::string buffered;
    while (answers.size() < count) {
        std::size_t headEnd = buffered.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            dvrHTTPExchange head = dvrHTTPExchange::parse(buffered.substr(0, headEnd + 4));
            std::size_t length = std::stoul(head.headers["content-length"]);
            if (buffered.size() >= headEnd + 4 + length) {
                answers.push_back(dvrHTTPExchange::parse(buffered.substr(0, headEnd + 4 + length)));
                buffered.erase(0, headEnd + 4 + length);
                continue;
            }
        }
        std::string more = socket.readSome(65536);
        if (more.empty())
            break;
        buffered += more;
    }
    return answers;
}

TEST_F(dvrHTTPKeepAliveTest, ClientsThatKeepTheConnectionGetSeveralAnswersOnIt) {
    dvrRawSocket socket = dvrRawSocket::connectTo("127.0.0.1", port);
    socket.write("GET /camera/1 HTTP/1.1\r\nHost: a\r\n\r\n");
    std::vector<dvrHTTPExchange> first = readAnswers(socket, 1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].statusLine, "HTTP/1.0 200 OK");
    EXPECT_EQ(first[0].headers["connection"], "keep-alive");
    // Two requests in one piece, the second asking to close.
    socket.write("GET /camera/2 HTTP/1.0\r\nConnection: keep-alive\r\n\r\n"
                 "GET /camera/1?type=png HTTP/1.1\r\nConnection: close\r\n\r\n");
    std::vector<dvrHTTPExchange> more = readAnswers(socket, 2);
    ASSERT_EQ(more.size(), 2u);
    EXPECT_EQ(more[0].headers["content-type"], "image/jpeg");
    EXPECT_EQ(more[1].headers["content-type"], "image/png");
    EXPECT_EQ(more[1].headers["connection"], "close");
    EXPECT_EQ(socket.readAll(), "");
}

TEST_F(dvrHTTPKeepAliveTest, ErrorsAndPlainHttp10CloseTheConnection) {
    for (const char* request : {"GET /camera/1 HTTP/1.0\r\n\r\n", "GET /camera/9 HTTP/1.1\r\n\r\n",
                                "POST / HTTP/1.1\r\n\r\n"}) {
        dvrHTTPExchange answer = dvrHTTPExchange::send(port, request);
        EXPECT_EQ(answer.headers["connection"], "close") << request;
    }
}

} // namespace
