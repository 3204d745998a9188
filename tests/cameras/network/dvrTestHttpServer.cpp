#include "dvrTestHttpServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::size_t largestRequest = 16384;
constexpr std::size_t hugeBodySize = 9u * 1024u * 1024u;

bool sendAll(int connection, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t written = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (written <= 0)
            return false;
        sent += static_cast<std::size_t>(written);
    }
    return true;
}

std::string answer(const std::string& status, const std::string& type, const std::string& body,
                   const std::string& extraHeaders = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n" + extraHeaders + "\r\n" + body;
}

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

dvrTestHttpServer::dvrTestHttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int pipeEnds[2];
    if (listener_ < 0 || ::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("test server: no socket");
    wakeRead_ = pipeEnds[0];
    wakeWrite_ = pipeEnds[1];
    int reuse = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 16) != 0 ||
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("test server: cannot listen");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { run(); });
}

dvrTestHttpServer::~dvrTestHttpServer() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    char wake = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeWrite_, &wake, 1);
    thread_.join();
    ::close(listener_);
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void dvrTestHttpServer::setMode(Mode mode) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        mode_ = mode;
    }
    changed_.notify_all();
}

void dvrTestHttpServer::setSlowDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> guard(lock_);
    slowDelay_ = delay;
}

void dvrTestHttpServer::setFrames(std::vector<std::vector<std::uint8_t>> frames) {
    std::lock_guard<std::mutex> guard(lock_);
    frames_ = std::move(frames);
    nextFrame_ = 0;
}

void dvrTestHttpServer::setPicture(const std::string& path, std::vector<std::uint8_t> jpeg) {
    std::lock_guard<std::mutex> guard(lock_);
    pictures_[path] = std::move(jpeg);
}

std::vector<dvrTestHttpServer::Request> dvrTestHttpServer::requests() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_;
}

std::size_t dvrTestHttpServer::requestCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return requests_.size();
}

bool dvrTestHttpServer::waitForRequests(std::size_t count) const {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return requests_.size() >= count; });
}

bool dvrTestHttpServer::waitForStall() const {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::seconds(20), [&] { return stalling_; });
}

bool dvrTestHttpServer::waitWhile(std::chrono::milliseconds longest, bool untilModeChanges) {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait_for(guard, longest, [&] { return stopping_ || (untilModeChanges && mode_ != Mode::stall); });
    return !stopping_;
}

void dvrTestHttpServer::run() {
    for (;;) {
        pollfd watched[2] = {{listener_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(watched, 2, -1) < 0)
            continue;
        if (watched[1].revents != 0)
            return;
        int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0)
            continue;
        serve(connection);
        ::shutdown(connection, SHUT_RDWR);
        ::close(connection);
    }
}

std::string dvrTestHttpServer::body(const std::string& target) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found = pictures_.find(target);
    if (found == pictures_.end())
        found = pictures_.find(target.substr(0, target.find('?')));
    if (found != pictures_.end())
        return std::string(found->second.begin(), found->second.end());
    if (frames_.empty())
        return std::string();
    const std::vector<std::uint8_t>& frame = frames_[nextFrame_++ % frames_.size()];
    return std::string(frame.begin(), frame.end());
}

void dvrTestHttpServer::serve(int connection) {
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (request.size() > largestRequest)
            return;
        pollfd watched[2] = {{connection, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(watched, 2, 5000) <= 0 || watched[1].revents != 0)
            return;
        char block[2048];
        ssize_t got = ::recv(connection, block, sizeof block, 0);
        if (got <= 0)
            return;
        request.append(block, static_cast<std::size_t>(got));
    }
    Request logged;
    logged.line = request.substr(0, request.find("\r\n"));
    std::string lower = lowerCase(request);
    std::size_t header = lower.find("\r\nauthorization:");
    if (header != std::string::npos) {
        std::size_t start = request.find_first_not_of(' ', header + std::strlen("\r\nauthorization:"));
        logged.authorization = request.substr(start, request.find("\r\n", start) - start);
    }
    std::string target;
    {
        std::size_t first = logged.line.find(' ');
        std::size_t second = logged.line.find(' ', first + 1);
        if (first != std::string::npos && second != std::string::npos)
            target = logged.line.substr(first + 1, second - first - 1);
    }
    Mode mode;
    std::chrono::milliseconds slowDelay;
    {
        std::lock_guard<std::mutex> guard(lock_);
        requests_.push_back(logged);
        mode = mode_;
        slowDelay = slowDelay_;
    }
    changed_.notify_all();

    switch (mode) {
    case Mode::stall:
        {
            std::lock_guard<std::mutex> guard(lock_);
            stalling_ = true;
        }
        changed_.notify_all();
        waitWhile(std::chrono::minutes(2), true);
        {
            std::lock_guard<std::mutex> guard(lock_);
            stalling_ = false;
        }
        return;
    case Mode::slow:
        if (!waitWhile(slowDelay, false))
            return;
        break;
    case Mode::emptyBody:
        sendAll(connection, answer("200 OK", "image/jpeg", ""));
        return;
    case Mode::notFoundPage:
        sendAll(connection, answer("404 Not Found", "text/html",
                                   "<html><head><title>404 Not Found</title></head><body>No such picture</body></html>"));
        return;
    case Mode::truncatedJpeg: {
        std::string picture = body(target);
        sendAll(connection, answer("200 OK", "image/jpeg", picture.substr(0, picture.size() / 2)));
        return;
    }
    case Mode::redirect:
        if (target != "/moved.jpg") {
            sendAll(connection, answer("302 Found", "text/html", "moved", "Location: /moved.jpg\r\n"));
            return;
        }
        break;
    case Mode::hugeBody: {
        // No length announced: only the client's own cap can end this.
        std::string head = "HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nConnection: close\r\n\r\n\xFF\xD8";
        if (!sendAll(connection, head))
            return;
        std::string block(65536, '\x55');
        for (std::size_t sent = 0; sent < hugeBodySize; sent += block.size())
            if (!sendAll(connection, block))
                return;
        return;
    }
    case Mode::pictures:
        break;
    }
    std::string picture = body(target);
    if (picture.empty())
        sendAll(connection, answer("404 Not Found", "text/html", "<html><body>none</body></html>"));
    else
        sendAll(connection, answer("200 OK", "image/jpeg", picture));
}
