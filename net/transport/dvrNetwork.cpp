#include "dvrNetwork.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "log/dvrLog.h"

namespace {
constexpr std::size_t readAheadSize = 4096;

bool waitFor(int socket, short events, int timeoutMilliseconds) {
    pollfd entry{socket, events, 0};
    using Clock = std::chrono::steady_clock;
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMilliseconds, 0));
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        int result = poll(&entry, 1, static_cast<int>(std::max<long long>(left, 0)));
        if (result > 0)
            return true; // ready, or hung up / failed: the next read or write tells which
        if (result == 0 || errno != EINTR)
            return false;
    }
}
} // namespace

// Keeps the descriptor from being closed while one operation works on it.
class dvrNetwork::Use {
public:
    explicit Use(dvrNetwork& network) : network_(network), socket_(network.enterUse()) {}
    ~Use() {
        if (socket_ >= 0)
            network_.leaveUse();
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;
    int socket() const { return socket_; }

private:
    dvrNetwork& network_;
    int socket_;
};

dvrNetwork::dvrNetwork() : readAhead_(readAheadSize) {}

dvrNetwork::dvrNetwork(int acceptedSocket) : readAhead_(readAheadSize) { attachSocket(acceptedSocket); }

dvrNetwork::~dvrNetwork() { dvrNetwork::close(); }

void dvrNetwork::attachSocket(int socket) {
    if (socket < 0)
        return;
    // Lines and small answers go out at once instead of waiting for the peer's acknowledgement.
    int on = 1;
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::lock_guard<std::mutex> guard(stateLock_);
    socket_ = socket;
    closePending_ = false;
    open_ = true;
}

int dvrNetwork::enterUse() {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (socket_ < 0 || !open_)
        return -1;
    ++users_;
    return socket_;
}

void dvrNetwork::leaveUse() {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (--users_ == 0 && closePending_) {
        ::close(socket_);
        socket_ = -1;
        closePending_ = false;
    }
}

int dvrNetwork::pollHandle() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return open_ ? socket_ : -1;
}

bool dvrNetwork::close() {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (socket_ < 0 || closePending_)
        return false;
    open_ = false;
    // Wakes any thread waiting on the socket; the descriptor stays valid until it is done.
    shutdown(socket_, SHUT_RDWR);
    if (users_ > 0) {
        closePending_ = true;
    } else {
        ::close(socket_);
        socket_ = -1;
    }
    return true;
}

bool dvrNetwork::waitReadable(int socket, int timeoutMilliseconds) {
    return readAheadBytes_.load() > 0 || waitFor(socket, POLLIN, timeoutMilliseconds);
}

bool dvrNetwork::waitWritable(int socket, int timeoutMilliseconds) { return waitFor(socket, POLLOUT, timeoutMilliseconds); }

long dvrNetwork::takeAvailable(int socket, std::uint8_t* out, std::size_t missing) {
    std::size_t taken = 0;
    if (readAheadEnd_ > readAheadBegin_) {
        taken = std::min(missing, readAheadEnd_ - readAheadBegin_);
        std::memcpy(out, readAhead_.data() + readAheadBegin_, taken);
        readAheadBegin_ += taken;
        readAheadBytes_ = readAheadEnd_ - readAheadBegin_;
        if (taken == missing)
            return static_cast<long>(taken);
    }
    if (peerEnded_)
        return taken > 0 ? static_cast<long>(taken) : -1;
    // Large remainders go straight into the caller's buffer; small ones fill the read-ahead.
    bool direct = missing - taken >= readAheadSize;
    ssize_t got;
    do {
        got = direct ? recv(socket, out + taken, missing - taken, MSG_DONTWAIT)
                     : recv(socket, readAhead_.data(), readAheadSize, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        peerEnded_ = true;
        return taken > 0 ? static_cast<long>(taken) : -1;
    }
    if (got < 0)
        return static_cast<long>(taken);
    if (direct)
        return static_cast<long>(taken + static_cast<std::size_t>(got));
    std::size_t more = std::min(missing - taken, static_cast<std::size_t>(got));
    std::memcpy(out + taken, readAhead_.data(), more);
    readAheadBegin_ = more;
    readAheadEnd_ = static_cast<std::size_t>(got);
    readAheadBytes_ = readAheadEnd_ - readAheadBegin_;
    return static_cast<long>(taken + more);
}

int dvrNetwork::send(const void* bytes, std::size_t length) {
    std::lock_guard<std::recursive_mutex> guard(sendLock_);
    Use use(*this);
    if (use.socket() < 0) {
        logWarning("[NET] Attempting to send through a closed connection!\n");
        return -1;
    }
    if (length == 0)
        return 0;
    if (!bytes || length > static_cast<std::size_t>(INT_MAX))
        return -1;
    const auto* data = static_cast<const std::uint8_t*>(bytes);
    std::size_t sent = 0;
    while (sent < length) {
        // No SIGPIPE: a peer that went away is an ordinary failure here.
        ssize_t result = ::send(use.socket(), data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (result > 0) {
            sent += static_cast<std::size_t>(result);
            continue;
        }
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && open_ &&
            waitWritable(use.socket(), timeout_.load()))
            continue;
        close();
        return -1;
    }
    return static_cast<int>(length);
}

int dvrNetwork::sendText(std::string_view text) { return send(text.data(), text.size()); }

int dvrNetwork::receive(void* buffer, std::size_t length) {
    std::lock_guard<std::recursive_mutex> guard(receiveLock_);
    Use use(*this);
    if (use.socket() < 0) {
        logWarning("[NET] Attempting to receive through a closed connection!\n");
        return -1;
    }
    if (length == 0)
        return 0;
    if (!buffer || length > static_cast<std::size_t>(INT_MAX))
        return -1;
    if (!waitReadable(use.socket(), timeout_.load()))
        return 0;
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t total = 0;
    int shortReads = 0;
    for (;;) {
        if (!open_)
            return -1;
        std::size_t missing = length - total;
        long got = takeAvailable(use.socket(), out + total, missing);
        if (got < 0) {
            // The peer closed or the connection broke: nothing more will come.
            close();
            return -1;
        }
        total += static_cast<std::size_t>(got);
        if (total == length)
            return static_cast<int>(length);
        if (++shortReads > maximumShortReads)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(shortReadPauseMilliseconds));
        if (!waitReadable(use.socket(), timeout_.load()))
            return -1;
    }
}

int dvrNetwork::readLine(char* buffer, int maximum) {
    std::lock_guard<std::recursive_mutex> guard(lineLock_);
    if (!buffer || maximum < 0)
        return -1;
    int stored = 0;
    while (stored < maximum) {
        char byte = 0;
        if (receive(&byte, 1) != 1)
            return -1;
        if (byte != '\r') {
            buffer[stored++] = byte;
            continue;
        }
        char next = 0;
        if (receive(&next, 1) != 1)
            return -1;
        if (next == '\n')
            break;
    }
    buffer[stored] = '\0';
    return stored + 1;
}

int dvrNetwork::receiveAvailable(void* buffer, std::size_t maximum) {
    std::lock_guard<std::recursive_mutex> guard(receiveLock_);
    Use use(*this);
    if (use.socket() < 0)
        return -1;
    if (!buffer || maximum == 0)
        return 0;
    long got = takeAvailable(use.socket(), static_cast<std::uint8_t*>(buffer),
                             std::min<std::size_t>(maximum, INT_MAX));
    if (got < 0) {
        close();
        return -1;
    }
    return static_cast<int>(got);
}

bool dvrNetwork::isReadable() {
    Use use(*this);
    if (use.socket() < 0)
        return false;
    return readAheadBytes_.load() > 0 || waitFor(use.socket(), POLLIN, 1);
}

dvrNetAddress dvrNetwork::peerAddress() {
    Use use(*this);
    dvrNetAddress address;
    if (use.socket() < 0)
        return address;
    sockaddr_storage storage{};
    socklen_t size = sizeof storage;
    if (getpeername(use.socket(), reinterpret_cast<sockaddr*>(&storage), &size) != 0)
        return address;
    char text[INET6_ADDRSTRLEN] = {};
    if (storage.ss_family == AF_INET) {
        const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(&storage);
        inet_ntop(AF_INET, &ipv4->sin_addr, text, sizeof text);
        address.setPort(ntohs(ipv4->sin_port));
    } else if (storage.ss_family == AF_INET6) {
        const auto* ipv6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        if (IN6_IS_ADDR_V4MAPPED(&ipv6->sin6_addr))
            inet_ntop(AF_INET, &ipv6->sin6_addr.s6_addr[12], text, sizeof text);
        else
            inet_ntop(AF_INET6, &ipv6->sin6_addr, text, sizeof text);
        address.setPort(ntohs(ipv6->sin6_port));
    }
    address.setHost(text);
    return address;
}
