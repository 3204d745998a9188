#include "watchdog/dvrWatchdogModuleTable.h"

#include <algorithm>

#include "text/dvrText.h"

void dvrWatchdogModuleTable::add(Module module, std::chrono::seconds timeOut, std::string_view name,
                                 std::chrono::milliseconds now) {
    Entry entry{module, now, std::chrono::duration_cast<std::chrono::milliseconds>(timeOut),
                dvrText::cut(name, maximumNameLength)};
    std::lock_guard<std::mutex> guard(lock_);
    entries_.push_back(std::move(entry));
}

void dvrWatchdogModuleTable::reportAlive(Module module, std::chrono::milliseconds now) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.module == module; });
    if (found != entries_.end())
        found->lastReport = now;
}

bool dvrWatchdogModuleTable::remove(Module module) {
    std::lock_guard<std::mutex> guard(lock_);
    auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.module == module; });
    if (found == entries_.end())
        return false;
    entries_.erase(found);
    return true;
}

std::optional<std::string> dvrWatchdogModuleTable::lastFailed(std::chrono::milliseconds now) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
        if (now - entry->lastReport >= entry->timeOut)
            return entry->name;
    return std::nullopt;
}

std::size_t dvrWatchdogModuleTable::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.size();
}
