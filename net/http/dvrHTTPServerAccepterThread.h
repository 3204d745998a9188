#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
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
    // Runs the thread; call once, after everything that may receive requests exists.
    void start();
    dvrHTTPServerAccepterThread(const dvrHTTPServerAccepterThread&) = delete;
    dvrHTTPServerAccepterThread& operator=(const dvrHTTPServerAccepterThread&) = delete;

    // Signals, wakes and joins the thread; connections still being read are closed.
    void stop();
    // A connection the client keeps open, to be read again for its next request (any thread).
    void giveBack(std::unique_ptr<dvrNetwork> connection, std::string remainder);
    int boundPort() const;

private:
    struct Reading {
        std::unique_ptr<dvrNetwork> connection;
        dvrHTTPRequestReader reader;
        std::chrono::steady_clock::time_point deadline;
    };

    void run();
    void acceptPending();
    void takeBackReturned();
    // Feeds bytes to a connection's request; false when it is finished here (handed on).
    bool feed(Reading& reading, std::string_view bytes);
    void wake();
    // Reads what the connection has sent; false when it is finished here (handed on or dropped).
    bool readFrom(Reading& reading);
    void drop(Reading& reading);

    std::unique_ptr<dvrNetworkServer> listener_;
    dvrHTTPConnectionQueue& queue_;
    std::atomic<int>& openConnections_;
    std::vector<Reading> reading_;
    std::mutex returnedLock_;
    std::vector<std::pair<std::unique_ptr<dvrNetwork>, std::string>> returned_;
    int wakeDescriptor_ = -1;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};
