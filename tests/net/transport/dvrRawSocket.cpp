#include "dvrRawSocket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

dvrRawSocket dvrRawSocket::listenOnLoopback() {
    int descriptor = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(descriptor, 16) != 0)
        throw std::runtime_error("cannot listen");
    return dvrRawSocket(descriptor);
}

dvrRawSocket dvrRawSocket::connectTo(const std::string& host, int port) {
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* result = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &result) != 0)
        throw std::runtime_error("cannot resolve");
    int descriptor = socket(result->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int connected = connect(descriptor, result->ai_addr, result->ai_addrlen);
    freeaddrinfo(result);
    if (connected != 0) {
        ::close(descriptor);
        throw std::runtime_error("cannot connect");
    }
    return dvrRawSocket(descriptor);
}

dvrRawSocket::~dvrRawSocket() { close(); }

dvrRawSocket::dvrRawSocket(dvrRawSocket&& other) noexcept : descriptor_(other.descriptor_) { other.descriptor_ = -1; }

dvrRawSocket& dvrRawSocket::operator=(dvrRawSocket&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

namespace {
int portOf(int descriptor, bool peer) {
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    int result = peer ? getpeername(descriptor, reinterpret_cast<sockaddr*>(&storage), &size)
                      : getsockname(descriptor, reinterpret_cast<sockaddr*>(&storage), &size);
    if (result != 0)
        return 0;
    if (storage.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
    return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}
} // namespace

int dvrRawSocket::port() const { return portOf(descriptor_, false); }
int dvrRawSocket::localPort() const { return portOf(descriptor_, false); }

dvrRawSocket dvrRawSocket::accept() const { return dvrRawSocket(::accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC)); }

void dvrRawSocket::write(std::string_view bytes) const {
    while (!bytes.empty()) {
        ssize_t written = ::send(descriptor_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written <= 0)
            throw std::runtime_error("cannot write");
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string dvrRawSocket::readAll() const {
    std::string all;
    char buffer[65536];
    ssize_t got;
    while ((got = ::recv(descriptor_, buffer, sizeof buffer, 0)) > 0)
        all.append(buffer, static_cast<std::size_t>(got));
    return all;
}

std::string dvrRawSocket::readSome(std::size_t size) const {
    std::string some(size, '\0');
    ssize_t got = ::recv(descriptor_, some.data(), size, 0);
    some.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return some;
}

void dvrRawSocket::close() {
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}
