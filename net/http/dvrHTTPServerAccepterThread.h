#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "dvrHTTPRequestReader.h"

class dvrHTTPConnectionQueue;
class dvrNetwork;
class dvrNetworkServer;

// Accepts connections and reads their requests, all with one poll over the listening socket,
// a wake-up descriptor and every connection still sending its request. Only whole requests
// reach the workers, so clients that send slowly or nothing at all never hold a worker: each has
// a whole-request deadline, and when the connection limit is reached the oldest of them goes.
class dvrHTTPServerAccepterThread {
public:
    static constexpr int maximumConnections = 512;
    static constexpr std::chrono::milliseconds requestDeadline{10000};

    dvrHTTPServerAccepterThread(std::unique_ptr<dvrNetworkServer> listener, dvrHTTPConnectionQueue& queue,
                                std::atomic<int>& openConnections);
    ~dvrHTTPServerAccepterThread();
    dvrHTTPServerAccepterThread(const dvrHTTPServerAccepterThread&) = delete;
    dvrHTTPServerAccepterThread& operator=(const dvrHTTPServerAccepterThread&) = delete;

    // Signals, wakes and joins the thread; connections still being read are closed.
    void stop();
    int boundPort() const;

private:
    struct Reading {
        std::unique_ptr<dvrNetwork> connection;
        dvrHTTPRequestReader reader;
        std::chrono::steady_clock::time_point deadline;
    };

    void run();
    void acceptPending();
    // Reads what the connection has sent; false when it is finished here (handed on or dropped).
    bool readFrom(Reading& reading);
    void drop(Reading& reading);

    std::unique_ptr<dvrNetworkServer> listener_;
    dvrHTTPConnectionQueue& queue_;
    std::atomic<int>& openConnections_;
    std::vector<Reading> reading_;
    int wakeDescriptor_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
