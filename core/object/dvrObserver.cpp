#include "object/dvrObserver.h"

#include "object/dvrEvents.h"
#include "object/dvrNotifier.h"
#include "object/dvrNotifierRegistry.h"

dvrObserver::~dvrObserver() { stopObserving(); }

void dvrObserver::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    bool stale = false;
    {
        std::lock_guard<std::recursive_mutex> guard(lock_);
        bool known = notifiers_.count(notifier) != 0;
        bool leaving = (events & (dvrEvent::destroyed | dvrEvent::removed)) != 0;
        if (known) {
            if (leaving)
                notifiers_.erase(notifier);
        } else if (events & dvrEvent::registered) {
            // The notifier calls this while it is alive, so its registry can be taken here.
            if (!leaving)
                notifiers_.emplace(notifier, notifier->registry_);
        } else {
            stale = !leaving;
        }
    }
    // A registration this observer has no record of heals itself. The observer's lock is not
    // held here, so the notifier's lock is never waited for under it.
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
    // Delivery takes a notifier's lock and then this observer's, so this observer's lock is
    // never held while waiting for a notifier's. The registry reference keeps the notifier's
    // lock and table valid even if the notifier is destroyed meanwhile.
    for (;;) {
        dvrNotifier* notifier = nullptr;
        std::shared_ptr<dvrNotifierRegistry> registry;
        {
            std::lock_guard<std::recursive_mutex> guard(lock_);
            if (notifiers_.empty())
                return;
            notifier = notifiers_.begin()->first;
            registry = notifiers_.begin()->second;
        }
        {
            std::lock_guard<std::recursive_mutex> registryGuard(registry->lock);
            if (registry->alive)
                registry->erase(this);
        }
        std::lock_guard<std::recursive_mutex> guard(lock_);
        auto entry = notifiers_.find(notifier);
        if (entry != notifiers_.end() && entry->second == registry)
            notifiers_.erase(entry);
    }
}
