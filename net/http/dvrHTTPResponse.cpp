#include "dvrHTTPResponse.h"

const char* dvrHTTPResponse::reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 503:
        return "Service Unavailable";
    default:
        return "Internal Server Error";
    }
}

std::string dvrHTTPResponse::head(int status, std::string_view contentType, std::size_t contentLength, bool noStore,
                                  bool keepAlive) {
    std::string out = "HTTP/1.0 " + std::to_string(status) + " " + reason(status) + "\r\n";
    out += "Server: ";
    out += serverName;
    out += "\r\nContent-Type: ";
    out += contentType;
    out += "\r\nContent-Length: " + std::to_string(contentLength) + "\r\n";
    if (status == 405)
        out += "Allow: GET\r\n";
    if (noStore)
        out += "Cache-Control: no-store\r\n";
    out += keepAlive ? "Connection: keep-alive\r\n\r\n" : "Connection: close\r\n\r\n";
    return out;
}

std::string dvrHTTPResponse::text(int status, std::string_view body) {
    return head(status, "text/plain; charset=utf-8", body.size()) + std::string(body);
}
