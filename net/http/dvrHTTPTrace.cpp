#include "dvrHTTPTrace.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "log/dvrLog.h"

namespace {
std::mutex traceLock;
}

void dvrHTTPTrace::line(std::string_view text) { line(text, {}); }

void dvrHTTPTrace::line(std::string_view prefix, std::string_view data) {
    if (!dvrLog::isVerbose())
        return;
    std::string out(prefix);
    for (char c : data)
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    out += '\n';
    std::lock_guard<std::mutex> guard(traceLock);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}
