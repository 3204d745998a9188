#pragma once

#include <string>
#include <string_view>

// The far end of a connection under test, on plain sockets, so the transport is judged by
// bytes that no part of it produced.
class dvrRawSocket {
public:
    // A listening socket on the loopback address with a free port.
    static dvrRawSocket listenOnLoopback();
    // Connects to host:port (IPv4 or IPv6 numeric host).
    static dvrRawSocket connectTo(const std::string& host, int port);

    dvrRawSocket() = default;
    explicit dvrRawSocket(int descriptor) : descriptor_(descriptor) {}
    ~dvrRawSocket();
    dvrRawSocket(dvrRawSocket&& other) noexcept;
    dvrRawSocket& operator=(dvrRawSocket&& other) noexcept;

    int port() const;
    int localPort() const;
    // The next connection on a listening socket (waits for it).
    dvrRawSocket accept() const;
    void write(std::string_view bytes) const;
    // Everything until the peer closes.
    std::string readAll() const;
    // Up to size bytes, waiting for at least one; "" at the end of the stream.
    std::string readSome(std::size_t size) const;
    void close();
    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }

private:
    int descriptor_ = -1;
};
