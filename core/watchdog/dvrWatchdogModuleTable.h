#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The modules the software watchdog looks after, in registration order, each with the time of
// its last report on the watchdog's monotonic clock. Every operation takes the table's own lock
// for the table only; the caller passes the time in.
class dvrWatchdogModuleTable {
public:
    // An opaque identity: the address of the registering thread's object, or a small number
    // for a pseudo-module (no object lives at an address below one page, so they never meet).
    using Module = std::uintptr_t;
    static constexpr std::size_t maximumNameLength = 63;

    void add(Module module, std::chrono::seconds timeOut, std::string_view name,
             std::chrono::milliseconds now);
    // Unknown modules are ignored.
    void reportAlive(Module module, std::chrono::milliseconds now);
    // Removes the first entry of the module; returns whether there was one.
    bool remove(Module module);
    // The name of the last module (in table order) whose silence has reached its time-out.
    std::optional<std::string> lastFailed(std::chrono::milliseconds now) const;
    std::size_t size() const;

private:
    struct Entry {
        Module module;
        std::chrono::milliseconds lastReport;
        std::chrono::milliseconds timeOut;
        std::string name;
    };

    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};
