#include "object/dvrNotifier.h"

#include "object/dvrEvents.h"
#include "object/dvrObserver.h"

dvrNotifier::~dvrNotifier() { announceDestruction(); }

void dvrNotifier::addObserver(dvrObserver* observer, std::uint32_t mask) {
    if (!observer || mask == 0)
        return;
    std::lock_guard<std::recursive_mutex> guard(lock_);
    // Every registered observer always hears of registration and destruction.
    observers_[observer] |= mask | dvrEvent::destroyed | dvrEvent::registered;
    observer->onNotify(this, dvrEvent::registered);
}

void dvrNotifier::removeObserver(dvrObserver* observer, std::uint32_t mask) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto entry = observers_.find(observer);
    if (entry == observers_.end())
        return;
    entry->second &= ~mask;
    if (entry->second != 0)
        return;
    eraseEntry(entry);
    observer->onNotify(this, dvrEvent::removed);
}

void dvrNotifier::notify(std::uint32_t events) { deliver(events, false); }

std::uint32_t dvrNotifier::observerMask(const dvrObserver* observer) const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    auto entry = observers_.find(const_cast<dvrObserver*>(observer));
    return entry == observers_.end() ? 0 : entry->second;
}

std::size_t dvrNotifier::observerCount() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return observers_.size();
}

void dvrNotifier::announceDestruction() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (observers_.empty())
        return;
    deliver(dvrEvent::destroyed, true);
    // Anything still registered (an observer that ignored the news) is dropped; its next look
    // at its notifier set no longer finds this notifier.
    observers_.clear();
    for (Cursor* cursor : cursors_)
        cursor->position = observers_.end();
}

void dvrNotifier::eraseEntry(Table::iterator entry) {
    for (Cursor* cursor : cursors_) {
        if (cursor->position == entry) {
            cursor->position = std::next(entry);
            cursor->removed = true;
        }
    }
    observers_.erase(entry);
}

void dvrNotifier::deliver(std::uint32_t events, bool forceDestroyed) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    Cursor cursor{observers_.begin(), false};
    cursors_.push_back(&cursor);
    while (cursor.position != observers_.end()) {
        cursor.removed = false;
        dvrObserver* observer = cursor.position->first;
        std::uint32_t wanted = cursor.position->second & events;
        if (forceDestroyed)
            wanted |= dvrEvent::destroyed;
        else if (!observer->isActive())
            wanted &= dvrEvent::destroyed;
        if (wanted != 0)
            observer->onNotify(this, wanted);
        if (!cursor.removed && cursor.position != observers_.end())
            ++cursor.position;
    }
    std::erase(cursors_, &cursor);
}
