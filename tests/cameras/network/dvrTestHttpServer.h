#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A small HTTP/1.1 server on 127.0.0.1 (port 0) for network camera tests. It answers one
// connection at a time, logs each request line and Authorization header, and answers as its
// mode says: JPEG pictures (one per path, or the default one, alternating between the given
// frames), slowly, never (a stall, until the mode changes), with an empty body, a 404 HTML
// page, a truncated JPEG or a redirect to "/moved.jpg".
class dvrTestHttpServer {
public:
    enum class Mode { pictures, slow, stall, emptyBody, notFoundPage, truncatedJpeg, redirect, hugeBody };

    struct Request {
        std::string line;          // "GET /path HTTP/1.1"
        std::string authorization; // the header's value, empty without one
    };

    dvrTestHttpServer();
    ~dvrTestHttpServer();
    dvrTestHttpServer(const dvrTestHttpServer&) = delete;
    dvrTestHttpServer& operator=(const dvrTestHttpServer&) = delete;

    int port() const { return port_; }
    void setMode(Mode mode);
    void setSlowDelay(std::chrono::milliseconds delay);
    // Frames served in turn for any path without its own picture.
    void setFrames(std::vector<std::vector<std::uint8_t>> frames);
    void setPicture(const std::string& path, std::vector<std::uint8_t> jpeg);

    std::vector<Request> requests() const;
    std::size_t requestCount() const;
    // Waits until the server has taken at least count requests; false after 20 s.
    bool waitForRequests(std::size_t count) const;
    // Waits until a request is being held by the stall; false after 20 s.
    bool waitForStall() const;

private:
    void run();
    void serve(int connection);
    std::string body(const std::string& path);
    // False when the server stops meanwhile.
    bool waitWhile(std::chrono::milliseconds longest, bool untilModeChanges);

    int listener_ = -1;
    int port_ = 0;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    bool stopping_ = false;
    bool stalling_ = false;
    Mode mode_ = Mode::pictures;
    std::chrono::milliseconds slowDelay_{300};
    std::vector<std::vector<std::uint8_t>> frames_;
    std::size_t nextFrame_ = 0;
    std::map<std::string, std::vector<std::uint8_t>> pictures_;
    std::vector<Request> requests_;
};
