#pragma once

#include <map>
#include <string>

// One request sent on a plain socket and the whole answer read until the server closes.
struct dvrHTTPExchange {
    std::string statusLine;
    int status = 0;
    std::map<std::string, std::string> headers; // names in lower case
    std::string body;
    std::string raw;

    // Sends the bytes as they are (a request line and headers of the caller's making).
    static dvrHTTPExchange send(int port, const std::string& requestBytes);
    // "GET <target> HTTP/1.0" with an empty header block.
    static dvrHTTPExchange get(int port, const std::string& target);
    // Fetches with curl; status 0 when curl fails.
    static dvrHTTPExchange curl(int port, const std::string& target, const std::string& options = "");
    // Splits a raw answer into its parts.
    static dvrHTTPExchange parse(const std::string& raw);
};
