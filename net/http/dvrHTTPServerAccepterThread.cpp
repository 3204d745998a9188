#include "dvrHTTPServerAccepterThread.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "dvrHTTPConnectionQueue.h"
#include "dvrHTTPTrace.h"
#include "log/dvrLog.h"
#include "transport/dvrNetworkServer.h"

namespace {
// Connections taken from the listen queue per wake-up, so reading keeps its turn.
constexpr int acceptBurst = 64;
// How often a saturated accepter looks again for a finished connection.
constexpr int saturatedPollMilliseconds = 20;
} // namespace

dvrHTTPServerAccepterThread::dvrHTTPServerAccepterThread(std::unique_ptr<dvrNetworkServer> listener,
                                                         dvrHTTPConnectionQueue& queue,
                                                         std::atomic<int>& openConnections)
    : listener_(std::move(listener)), queue_(queue), openConnections_(openConnections) {
    wakeDescriptor_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeDescriptor_ < 0)
        logError("[HTTP] Cannot create the accepter's wake-up descriptor.\n");
}

void dvrHTTPServerAccepterThread::start() {
    if (!thread_.joinable())
        thread_ = std::thread([this] { run(); });
}

dvrHTTPServerAccepterThread::~dvrHTTPServerAccepterThread() {
    stop();
    if (wakeDescriptor_ >= 0)
        ::close(wakeDescriptor_);
}

void dvrHTTPServerAccepterThread::wake() {
    if (wakeDescriptor_ >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] ssize_t written = write(wakeDescriptor_, &one, sizeof one);
    }
}

void dvrHTTPServerAccepterThread::stop() {
    {
        std::lock_guard<std::mutex> guard(returnedLock_);
        stopping_ = true;
    }
    wake();
    if (thread_.joinable())
        thread_.join();
    std::lock_guard<std::mutex> guard(returnedLock_);
    openConnections_ -= static_cast<int>(returned_.size());
    returned_.clear();
}

void dvrHTTPServerAccepterThread::giveBack(std::unique_ptr<dvrNetwork> connection, std::string remainder) {
    {
        std::lock_guard<std::mutex> guard(returnedLock_);
        if (stopping_) {
            connection.reset();
            --openConnections_;
            return;
        }
        returned_.emplace_back(std::move(connection), std::move(remainder));
    }
    wake();
}

void dvrHTTPServerAccepterThread::takeBackReturned() {
    std::vector<std::pair<std::unique_ptr<dvrNetwork>, std::string>> returned;
    {
        std::lock_guard<std::mutex> guard(returnedLock_);
        returned.swap(returned_);
    }
    for (auto& [connection, remainder] : returned) {
        // A kept connection waits for its next request like a new one, with a fresh deadline.
        Reading reading{std::move(connection), {}, std::chrono::steady_clock::now() + requestDeadline};
        if (remainder.empty() || feed(reading, remainder))
            reading_.push_back(std::move(reading));
    }
}

int dvrHTTPServerAccepterThread::boundPort() const { return listener_ ? listener_->boundPort() : 0; }

void dvrHTTPServerAccepterThread::drop(Reading& reading) {
    reading.connection.reset();
    --openConnections_;
}

bool dvrHTTPServerAccepterThread::readFrom(Reading& reading) {
    char bytes[4096];
    int got = reading.connection->receiveAvailable(bytes, sizeof bytes);
    if (got < 0) {
        drop(reading); // the client went away before its request was complete
        return false;
    }
    return feed(reading, std::string_view(bytes, static_cast<std::size_t>(got)));
}

bool dvrHTTPServerAccepterThread::feed(Reading& reading, std::string_view bytes) {
    dvrHTTPRequestReader::State state = reading.reader.feed(bytes);
    if (state == dvrHTTPRequestReader::State::reading)
        return true;
    for (const std::string& header : reading.reader.headerLines())
        dvrHTTPTrace::line("", header);
    dvrHTTPConnectionQueue::Request request;
    request.connection = std::move(reading.connection);
    request.requestLine = reading.reader.requestLine();
    request.readWhole = state == dvrHTTPRequestReader::State::complete;
    request.keepAlive = reading.reader.wantsKeepAlive();
    request.remainder = reading.reader.remainder();
    if (!queue_.push(std::move(request)))
        --openConnections_;
    return false;
}

void dvrHTTPServerAccepterThread::acceptPending() {
    for (int taken = 0; taken < acceptBurst; ++taken) {
        if (openConnections_.load() >= maximumConnections) {
            if (reading_.empty())
                return;
            // The oldest unfinished request makes room; the oldest deadline comes first.
            auto oldest = std::min_element(reading_.begin(), reading_.end(),
                                           [](const Reading& a, const Reading& b) { return a.deadline < b.deadline; });
            drop(*oldest);
            reading_.erase(oldest);
        }
        std::unique_ptr<dvrNetwork> connection = listener_->accept();
        if (!connection)
            return;
        ++openConnections_;
        reading_.push_back({std::move(connection), {}, std::chrono::steady_clock::now() + requestDeadline});
    }
}

void dvrHTTPServerAccepterThread::run() {
    std::vector<pollfd> descriptors;
    while (!stopping_) {
        const bool saturated = openConnections_.load() >= maximumConnections && reading_.empty();
        descriptors.clear();
        descriptors.push_back({wakeDescriptor_, POLLIN, 0});
        descriptors.push_back({saturated ? -1 : listener_->listeningHandle(), POLLIN, 0});
        auto now = std::chrono::steady_clock::now();
        auto nearest = now + requestDeadline;
        for (const Reading& reading : reading_) {
            descriptors.push_back({reading.connection->pollHandle(), POLLIN, 0});
            nearest = std::min(nearest, reading.deadline);
        }
        int timeout = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(nearest - now).count() + 1);
        if (saturated) {
            dvrHTTPTrace::line("odotellaan");
            timeout = saturatedPollMilliseconds;
        }
        int ready = poll(descriptors.data(), descriptors.size(), std::max(timeout, 0));
        if (ready < 0 && errno != EINTR) {
            logError("[HTTP] Waiting for connections failed.\n");
            break;
        }
        if (saturated)
            dvrHTTPTrace::line("odottelu päättyy");
        if (stopping_)
            break;
        if (descriptors[0].revents) {
            std::uint64_t count = 0;
            [[maybe_unused]] ssize_t drained = read(wakeDescriptor_, &count, sizeof count);
        }
        std::size_t polled = reading_.size();
        takeBackReturned();
        // Requests first, then expired clients, then new connections.
        now = std::chrono::steady_clock::now();
        std::vector<Reading> still;
        still.reserve(reading_.size());
        for (std::size_t i = 0; i < reading_.size(); ++i) {
            Reading& reading = reading_[i];
            if (i < polled && descriptors[i + 2].revents && !readFrom(reading))
                continue;
            if (now >= reading.deadline) {
                drop(reading);
                continue;
            }
            still.push_back(std::move(reading));
        }
        reading_.swap(still);
        if (descriptors[1].revents)
            acceptPending();
    }
    for (Reading& reading : reading_)
        drop(reading);
    reading_.clear();
}
