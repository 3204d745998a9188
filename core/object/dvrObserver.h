#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

class dvrNotifier;
class dvrNotifierRegistry;

// Receives events from notifiers and remembers which notifiers it is registered with, so that
// either side may be destroyed first.
class dvrObserver {
public:
    dvrObserver() = default;
    dvrObserver(const dvrObserver&) = delete;
    dvrObserver& operator=(const dvrObserver&) = delete;
    virtual ~dvrObserver();

    // Overrides must call the base, which keeps the notifier set.
    virtual void onNotify(dvrNotifier* notifier, std::uint32_t events);

    // While inactive the observer receives nothing from notify, except the destruction of a
    // notifier (it must still forget that notifier).
    void setActive(bool active) { active_ = active; }
    bool isActive() const { return active_; }

    bool isRegisteredWith(const dvrNotifier* notifier) const;
    std::size_t notifierCount() const;

protected:
    // Unregisters from every notifier. A derived observer calls it first in its destructor, so
    // no other thread can deliver to it while its own members are being destroyed.
    void stopObserving();

private:
    mutable std::recursive_mutex lock_;
    // Each notifier with its registry, which stays valid while held here.
    std::map<dvrNotifier*, std::shared_ptr<dvrNotifierRegistry>> notifiers_;
    std::atomic<bool> active_{true};
};
