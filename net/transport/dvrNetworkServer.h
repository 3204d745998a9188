#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "dvrNetwork.h"

// A listening socket that hands out accepted connections. Its own state as a connection stays
// closed; the listening socket is separate from the connection's socket.
class dvrNetworkServer : public dvrNetwork {
public:
    // Keeps the port, and the host as the address to listen on (empty: every interface).
    explicit dvrNetworkServer(const dvrNetAddress& address);
    ~dvrNetworkServer() override;

    // Port -1 means the port given at construction; port 0 takes a free port (see boundPort).
    // 1, or -1 with the reason on standard output.
    int listen(int port = -1);
    // One pending connection, without waiting; null when none is pending or nothing listens.
    std::unique_ptr<dvrNetwork> accept();
    // Stops listening; false when nothing was listening.
    bool close() override;

    bool isListening() const;
    // The port actually listened on, 0 when not listening.
    int boundPort() const;
    // The listening socket, for waiting on it with poll; -1 when not listening.
    int listeningHandle() const;

private:
    int openListener(const std::string& host, int port, std::string& failure);

    const int port_;
    const std::string host_;
    mutable std::mutex listenerLock_;
    int listener_ = -1;
    int boundPort_ = 0;
};
