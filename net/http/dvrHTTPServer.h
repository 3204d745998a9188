#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "dvrHTTPConnectionQueue.h"

class dvrHTTPRequestHandler;
class dvrHTTPServerAccepterThread;
class dvrHTTPServerThread;

// One running server: the listener with its accepter thread and a fixed pool of workers, built
// at start and ended (signal, wake, join) at stop. Workers finish the request they serve.
class dvrHTTPServer {
public:
    // Listens on address (empty: every interface) and port, and starts workerCount workers.
    dvrHTTPServer(const std::string& address, int port, int workerCount, const dvrHTTPRequestHandler& handler);
    ~dvrHTTPServer();
    dvrHTTPServer(const dvrHTTPServer&) = delete;
    dvrHTTPServer& operator=(const dvrHTTPServer&) = delete;

    // The port listened on; 0 when listening failed.
    int boundPort() const;
    int workerCount() const { return static_cast<int>(workers_.size()); }

private:
    dvrHTTPConnectionQueue queue_;
    std::atomic<int> openConnections_{0};
    std::vector<std::unique_ptr<dvrHTTPServerThread>> workers_;
    std::unique_ptr<dvrHTTPServerAccepterThread> accepter_;
};
