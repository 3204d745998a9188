#include "object/dvrObserver.h"

#include <thread>

#include "object/dvrEvents.h"
#include "object/dvrNotifier.h"

dvrObserver::~dvrObserver() { stopObserving(); }

void dvrObserver::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    bool stale = false;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        bool known = notifiers_.count(notifier) != 0;
        if (known) {
            if (events & (dvrEvent::destroyed | dvrEvent::removed))
                notifiers_.erase(notifier);
        } else if (events & dvrEvent::registered) {
            if (!(events & (dvrEvent::destroyed | dvrEvent::removed)))
                notifiers_.insert(notifier);
        } else {
            stale = !(events & (dvrEvent::destroyed | dvrEvent::removed));
        }
    }
    // A registration this observer has no record of heals itself. The observer's lock is not
    // held here, so the notifier's lock is never taken under it.
    if (stale)
        notifier->removeObserver(this, dvrEvent::all);
}

bool dvrObserver::isRegisteredWith(const dvrNotifier* notifier) const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return notifiers_.count(const_cast<dvrNotifier*>(notifier)) != 0;
}

std::size_t dvrObserver::notifierCount() const {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return notifiers_.size();
}

void dvrObserver::stopObserving() {
    // Delivery takes a notifier's lock and then this observer's. Here the order is reversed, so
    // the notifier's lock is only tried: when another thread is delivering, let go of our own
    // lock, let that delivery finish, and try again. While a notifier is in our set it is
    // alive: its destruction must first take our lock to remove itself.
    std::unique_lock<std::recursive_mutex> guard(lock_);
    unsigned attempts = 0;
    while (!notifiers_.empty()) {
        dvrNotifier* notifier = *notifiers_.begin();
        std::unique_lock<std::recursive_mutex> notifierGuard(notifier->lock_, std::try_to_lock);
        if (notifierGuard.owns_lock()) {
            auto entry = notifier->observers_.find(this);
            if (entry != notifier->observers_.end())
                notifier->eraseEntry(entry);
            notifiers_.erase(notifier);
            attempts = 0;
            continue;
        }
        guard.unlock();
        if (++attempts < 64)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        guard.lock();
    }
}
