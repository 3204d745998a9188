#include "dvrNetworkServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int portOf(int socket) {
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (getsockname(socket, reinterpret_cast<sockaddr*>(&storage), &size) != 0)
        return 0;
    if (storage.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
    if (storage.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    return 0;
}

// A listening socket bound to one address; -1 with errno kept on failure.
int listenOn(const sockaddr* address, socklen_t size, int family) {
    int socket = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return -1;
    int on = 1;
    // A restarted server takes its port back while old connections linger in TIME_WAIT.
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (family == AF_INET6) {
        // "::" serves IPv4 clients as well.
        int off = 0;
        setsockopt(socket, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off);
    }
    if (bind(socket, address, size) != 0 || ::listen(socket, SOMAXCONN) != 0) {
        int saved = errno;
        ::close(socket);
        errno = saved;
        return -1;
    }
    return socket;
}
} // namespace

dvrNetworkServer::dvrNetworkServer(const dvrNetAddress& address) : port_(address.port()), host_(address.host()) {}

dvrNetworkServer::~dvrNetworkServer() { dvrNetworkServer::close(); }

int dvrNetworkServer::openListener(const std::string& host, int port, std::string& failure) {
    if (host.empty()) {
        sockaddr_in6 any6{};
        any6.sin6_family = AF_INET6;
        any6.sin6_addr = in6addr_any;
        any6.sin6_port = htons(static_cast<std::uint16_t>(port));
        int socket = listenOn(reinterpret_cast<sockaddr*>(&any6), sizeof any6, AF_INET6);
        if (socket >= 0)
            return socket;
        // Without IPv6 on the machine, every IPv4 interface.
        sockaddr_in any4{};
        any4.sin_family = AF_INET;
        any4.sin_addr.s_addr = htonl(INADDR_ANY);
        any4.sin_port = htons(static_cast<std::uint16_t>(port));
        socket = listenOn(reinterpret_cast<sockaddr*>(&any4), sizeof any4, AF_INET);
        if (socket < 0)
            failure = std::strerror(errno);
        return socket;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
    addrinfo* results = nullptr;
    std::string service = std::to_string(port);
    int resolved = getaddrinfo(host.c_str(), service.c_str(), &hints, &results);
    if (resolved != 0 || !results) {
        failure = gai_strerror(resolved);
        return -1;
    }
    int socket = -1;
    for (addrinfo* candidate = results; candidate && socket < 0; candidate = candidate->ai_next) {
        socket = listenOn(candidate->ai_addr, candidate->ai_addrlen, candidate->ai_family);
        if (socket < 0)
            failure = std::strerror(errno);
    }
    freeaddrinfo(results);
    return socket;
}

int dvrNetworkServer::listen(int port) {
    if (port == -1)
        port = port_;
    close();
    std::string failure = "port out of range";
    int socket = port >= 0 && port <= 0xFFFF ? openListener(host_, port, failure) : -1;
    if (socket < 0) {
        std::printf("[NET] Cannot listen on %s port %d: %s\n", host_.empty() ? "*" : host_.c_str(), port,
                    failure.c_str());
        std::fflush(stdout);
        return -1;
    }
    std::lock_guard<std::mutex> guard(listenerLock_);
    listener_ = socket;
    boundPort_ = portOf(socket);
    return 1;
}

std::unique_ptr<dvrNetwork> dvrNetworkServer::accept() {
    std::lock_guard<std::mutex> guard(listenerLock_);
    if (listener_ < 0)
        return nullptr;
    int socket;
    do {
        socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    } while (socket < 0 && errno == EINTR);
    if (socket < 0)
        return nullptr;
    return std::make_unique<dvrNetwork>(socket);
}

bool dvrNetworkServer::close() {
    std::lock_guard<std::mutex> guard(listenerLock_);
    if (listener_ < 0)
        return false;
    ::close(listener_);
    listener_ = -1;
    boundPort_ = 0;
    return true;
}

bool dvrNetworkServer::isListening() const {
    std::lock_guard<std::mutex> guard(listenerLock_);
    return listener_ >= 0;
}

int dvrNetworkServer::boundPort() const {
    std::lock_guard<std::mutex> guard(listenerLock_);
    return boundPort_;
}

int dvrNetworkServer::listeningHandle() const {
    std::lock_guard<std::mutex> guard(listenerLock_);
    return listener_;
}
