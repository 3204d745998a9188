#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The far end of a connection: a host text (name or numeric address) and a port. Names the
// other end of an outgoing connection and reports the peer of an accepted one.
class dvrNetAddress {
public:
    static constexpr std::size_t maximumHostLength = 255;

    dvrNetAddress() = default;
    // A longer host is cut at maximumHostLength characters.
    dvrNetAddress(std::string_view host, int port);

    const std::string& host() const { return host_; }
    void setHost(std::string_view host);
    // Only the low 16 bits are used when the address is resolved.
    int port() const { return port_; }
    void setPort(int port) { port_ = port; }

private:
    std::string host_;
    int port_ = 0;
};
