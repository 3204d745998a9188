#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One HTTP session of libcurl for one camera: GET requests over http and https only, with a
// connect and a whole-transfer time-out, a capped body and HTTP Basic authentication. The
// connection is kept between requests. get() runs on one thread at a time (the camera's capture
// thread); abort() may come from any thread and ends a running or the next get() at once.
class dvrHttpClient {
public:
    static constexpr std::size_t maximumBodySize = 8u * 1024u * 1024u;
    static constexpr std::chrono::milliseconds connectTimeout{5000};
    static constexpr std::chrono::milliseconds totalTimeout{10000};
    static constexpr long maximumRedirects = 3;

    struct Request {
        std::string url;
        // Sent as HTTP Basic authentication when username is non-empty; never part of the URL.
        std::string username;
        std::string password;
    };

    enum class Result { received, failed, timedOut, httpError, emptyBody, tooLarge, aborted };

    dvrHttpClient();
    ~dvrHttpClient();
    dvrHttpClient(const dvrHttpClient&) = delete;
    dvrHttpClient& operator=(const dvrHttpClient&) = delete;

    // Tests shorten the time-outs so a stalled server costs them little; the program keeps the
    // defaults above.
    void setTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total);

    // The body of a 200 answer lands in body (its buffer is reused). Any other status, an empty
    // body or one above maximumBodySize is not received.
    Result get(const Request& request, std::vector<std::uint8_t>& body);
    // Status of the last answer, 0 when none came.
    long lastStatus() const { return lastStatus_; }

    // Ends a running get() and makes later ones fail at once, until resume().
    void abort();
    void resume();
    bool isAborted() const { return aborted_; }


private:
    static std::size_t receive(char* data, std::size_t size, std::size_t count, void* client);

    void* easy_ = nullptr;
    void* multi_ = nullptr;
    std::atomic<bool> aborted_{false};
    std::atomic<long> connectMilliseconds_{connectTimeout.count()};
    std::atomic<long> totalMilliseconds_{totalTimeout.count()};
    long lastStatus_ = 0;
    std::vector<std::uint8_t>* body_ = nullptr;
    bool overflow_ = false;
};
