#include "dvrHTTPExchange.h"

#include <cstdio>
#include <sys/socket.h>
#include <sys/time.h>

#include "dvrRawSocket.h"
#include "text/dvrText.h"

dvrHTTPExchange dvrHTTPExchange::parse(const std::string& raw) {
    dvrHTTPExchange exchange;
    exchange.raw = raw;
    std::size_t headEnd = raw.find("\r\n\r\n");
    if (headEnd == std::string::npos)
        return exchange;
    exchange.body = raw.substr(headEnd + 4);
    std::string head = raw.substr(0, headEnd);
    std::size_t lineEnd = head.find("\r\n");
    exchange.statusLine = head.substr(0, lineEnd);
    if (exchange.statusLine.size() > 9)
        exchange.status = dvrText::toInt(exchange.statusLine.substr(9));
    while (lineEnd != std::string::npos) {
        std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        std::string line = head.substr(start, lineEnd == std::string::npos ? std::string::npos : lineEnd - start);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            exchange.headers[dvrText::lowerCase(line.substr(0, colon))] = line.substr(colon + 2);
    }
    return exchange;
}

dvrHTTPExchange dvrHTTPExchange::send(int port, const std::string& requestBytes) {
    dvrRawSocket socket = dvrRawSocket::connectTo("127.0.0.1", port);
    // A server that never answers fails the test instead of hanging it.
    timeval limit{30, 0};
    setsockopt(socket.descriptor(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    socket.write(requestBytes);
    return parse(socket.readAll());
}

dvrHTTPExchange dvrHTTPExchange::get(int port, const std::string& target) {
    return send(port, "GET " + target + " HTTP/1.0\r\n\r\n");
}

dvrHTTPExchange dvrHTTPExchange::curl(int port, const std::string& target, const std::string& options) {
    std::string command = "curl -s -i --max-time 20 " + options + " 'http://127.0.0.1:" + std::to_string(port) +
                          target + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {};
    std::string raw;
    char buffer[65536];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        raw.append(buffer, got);
    pclose(pipe);
    return parse(raw);
}
