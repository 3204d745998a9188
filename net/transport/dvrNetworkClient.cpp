#include "dvrNetworkClient.h"

#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// Connects without blocking longer than the time-out; the socket is blocking again afterwards.
bool connectWithin(int socket, const addrinfo& address, int timeoutMilliseconds) {
    int flags = fcntl(socket, F_GETFL);
    if (flags < 0 || fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    if (::connect(socket, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS)
            return false;
        pollfd entry{socket, POLLOUT, 0};
        int ready;
        do {
            ready = poll(&entry, 1, timeoutMilliseconds);
        } while (ready < 0 && errno == EINTR);
        if (ready <= 0)
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0)
            return false;
    }
    return fcntl(socket, F_SETFL, flags) == 0;
}
} // namespace

int dvrNetworkClient::connect(const dvrNetAddress& address) {
    if (pollHandle() >= 0 || isConnected())
        return -1;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* results = nullptr;
    std::string port = std::to_string(address.port() & 0xFFFF);
    const char* host = address.host().empty() ? nullptr : address.host().c_str();
    if (getaddrinfo(host, port.c_str(), &hints, &results) != 0 || !results)
        return -1;
    int opened = -1;
    for (addrinfo* candidate = results; candidate && opened < 0; candidate = candidate->ai_next) {
        int socket = ::socket(candidate->ai_family, candidate->ai_socktype | SOCK_CLOEXEC, candidate->ai_protocol);
        if (socket < 0)
            continue;
        if (connectWithin(socket, *candidate, getTimeout()))
            opened = socket;
        else
            ::close(socket);
    }
    freeaddrinfo(results);
    if (opened < 0)
        return -1;
    attachSocket(opened);
    return 1;
}
