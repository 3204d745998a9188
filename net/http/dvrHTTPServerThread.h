#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class dvrHTTPConnectionQueue;
class dvrHTTPRequestHandler;
class dvrNetwork;

// One worker: takes read requests from the queue and answers each; the connection is closed,
// or handed back for its next request when the client keeps it open.
class dvrHTTPServerThread {
public:
    // Takes a kept connection with the bytes of its next request that already arrived.
    using GiveBack = std::function<void(std::unique_ptr<dvrNetwork>, std::string)>;

    // HTTP connections wait this long for the client before they give up.
    static constexpr int connectionTimeoutMilliseconds = 10000;

    // openConnections counts the accepter's connections; the worker lowers it for each one it ends.
    dvrHTTPServerThread(dvrHTTPConnectionQueue& queue, const dvrHTTPRequestHandler& handler,
                        std::atomic<int>& openConnections, GiveBack giveBack);
    ~dvrHTTPServerThread();
    dvrHTTPServerThread(const dvrHTTPServerThread&) = delete;
    dvrHTTPServerThread& operator=(const dvrHTTPServerThread&) = delete;

    // Waits until the thread has ended; the queue must be stopped first.
    void join();

private:
    void run();

    dvrHTTPConnectionQueue& queue_;
    const dvrHTTPRequestHandler& handler_;
    std::atomic<int>& openConnections_;
    GiveBack giveBack_;
    std::thread thread_;
};
