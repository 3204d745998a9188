#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "transport/dvrNetwork.h"

// Connections whose request has been read, waiting for a worker; first in, first out.
class dvrHTTPConnectionQueue {
public:
    struct Request {
        std::unique_ptr<dvrNetwork> connection;
        std::string requestLine;
        bool readWhole = true; // false: the request was refused while it was read
        bool keepAlive = false; // the client wants the connection kept for its next request
        std::string remainder;  // bytes of the next request that came with this one
    };

    // False once stopped; the request is dropped then.
    bool push(Request request);
    // Waits for a request; nothing once stopped.
    std::optional<Request> pop();
    // Wakes every waiting worker; requests still queued are closed unanswered.
    void stop();

private:
    std::mutex lock_;
    std::condition_variable ready_;
    std::deque<Request> requests_;
    bool stopped_ = false;
};
