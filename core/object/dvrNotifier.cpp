#include "object/dvrNotifier.h"

#include "object/dvrEvents.h"
#include "object/dvrNotifierRegistry.h"
#include "object/dvrObserver.h"

dvrNotifier::dvrNotifier() : registry_(std::make_shared<dvrNotifierRegistry>()) {}

dvrNotifier::~dvrNotifier() { announceDestruction(); }

void dvrNotifier::addObserver(dvrObserver* observer, std::uint32_t mask) {
    if (!observer || mask == 0)
        return;
    std::lock_guard<std::recursive_mutex> guard(registry_->lock);
    if (!registry_->alive)
        return;
    // Every registered observer always hears of registration and destruction.
    registry_->observers[observer] |= mask | dvrEvent::destroyed | dvrEvent::registered;
    observer->onNotify(this, dvrEvent::registered);
}

void dvrNotifier::removeObserver(dvrObserver* observer, std::uint32_t mask) {
    std::lock_guard<std::recursive_mutex> guard(registry_->lock);
    auto entry = registry_->observers.find(observer);
    if (entry == registry_->observers.end())
        return;
    entry->second &= ~mask;
    if (entry->second != 0)
        return;
    registry_->erase(entry);
    observer->onNotify(this, dvrEvent::removed);
}

void dvrNotifier::notify(std::uint32_t events) { deliver(events, false); }

std::uint32_t dvrNotifier::observerMask(const dvrObserver* observer) const {
    std::lock_guard<std::recursive_mutex> guard(registry_->lock);
    auto entry = registry_->observers.find(const_cast<dvrObserver*>(observer));
    return entry == registry_->observers.end() ? 0 : entry->second;
}

std::size_t dvrNotifier::observerCount() const {
    std::lock_guard<std::recursive_mutex> guard(registry_->lock);
    return registry_->observers.size();
}

void dvrNotifier::announceDestruction() {
    std::lock_guard<std::recursive_mutex> guard(registry_->lock);
    if (!registry_->alive)
        return;
    deliver(dvrEvent::destroyed, true);
    // Observers that ignored the news are dropped too; an observer still holding the registry
    // sees that the notifier is gone.
    registry_->alive = false;
    registry_->observers.clear();
    for (dvrNotifierRegistry::Cursor* cursor : registry_->cursors)
        cursor->position = registry_->observers.end();
}

void dvrNotifier::deliver(std::uint32_t events, bool forceDestroyed) {
    dvrNotifierRegistry& registry = *registry_;
    std::lock_guard<std::recursive_mutex> guard(registry.lock);
    dvrNotifierRegistry::Cursor cursor{registry.observers.begin(), false};
    registry.cursors.push_back(&cursor);
    while (cursor.position != registry.observers.end()) {
        cursor.removed = false;
        dvrObserver* observer = cursor.position->first;
        std::uint32_t wanted = cursor.position->second & events;
        if (forceDestroyed)
            wanted |= dvrEvent::destroyed;
        else if (!observer->isActive())
            wanted &= dvrEvent::destroyed; // an inactive observer must still forget a dying notifier
        if (wanted != 0)
            observer->onNotify(this, wanted);
        if (!cursor.removed && cursor.position != registry.observers.end())
            ++cursor.position;
    }
    std::erase(registry.cursors, &cursor);
}
