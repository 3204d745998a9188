#pragma once

#include <cstdint>
#include <memory>

class dvrObserver;
class dvrNotifierRegistry;

// Announces events to the observers registered with it, each with its own event mask.
class dvrNotifier {
public:
    dvrNotifier();
    dvrNotifier(const dvrNotifier&) = delete;
    dvrNotifier& operator=(const dvrNotifier&) = delete;
    virtual ~dvrNotifier();

    void addObserver(dvrObserver* observer, std::uint32_t mask);
    void removeObserver(dvrObserver* observer, std::uint32_t mask);
    void notify(std::uint32_t events);

    // Mask of the observer's entry, 0 when it has none.
    std::uint32_t observerMask(const dvrObserver* observer) const;
    std::size_t observerCount() const;

protected:
    // Tells every observer, whatever its mask or active flag, that this notifier goes away, and
    // drops them all. Derived classes call it first in their destructor so that observers are
    // told while the whole object is still intact; calling it again does nothing.
    void announceDestruction();

private:
    friend class dvrObserver;

    // Delivers events under the lock; forceDestroyed reaches every observer.
    void deliver(std::uint32_t events, bool forceDestroyed);

    std::shared_ptr<dvrNotifierRegistry> registry_;
};
