#pragma once

#include <atomic>
#include <thread>

class dvrHTTPConnectionQueue;
class dvrHTTPRequestHandler;

// One worker: takes read requests from the queue, answers each and closes its connection.
class dvrHTTPServerThread {
public:
    // HTTP connections wait this long for the client before they give up.
    static constexpr int connectionTimeoutMilliseconds = 10000;

    // openConnections counts the accepter's connections; the worker lowers it for each one it ends.
    dvrHTTPServerThread(dvrHTTPConnectionQueue& queue, const dvrHTTPRequestHandler& handler,
                        std::atomic<int>& openConnections);
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
    std::thread thread_;
};
