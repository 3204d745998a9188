#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <memory>
#include <thread>
#include <vector>

#include "object/dvrEvents.h"
#include "object/dvrNotifier.h"
#include "object/dvrObject.h"
#include "object/dvrObserver.h"

// Destruction on one thread while another delivers: the observer's destructor takes its own lock
// and then its notifiers', the opposite order to delivery. These runs must neither deadlock nor
// race (run them under the tsan preset too).
namespace {

class CountingObserver : public dvrObserver {
public:
    ~CountingObserver() override { stopObserving(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        told.fetch_add(1, std::memory_order_relaxed);
        dvrObserver::onNotify(notifier, events);
    }
    std::atomic<int> told{0};
};

constexpr int rounds = 300;

TEST(dvrObjectModelConcurrencyTest, ObserversDestroyedWhileAnotherThreadDelivers) {
    for (int round = 0; round < rounds; ++round) {
        dvrNotifier notifier;
        std::vector<std::unique_ptr<CountingObserver>> observers;
        for (int i = 0; i < 8; ++i) {
            observers.push_back(std::make_unique<CountingObserver>());
            notifier.addObserver(observers.back().get(), 1);
        }
        std::atomic<bool> done{false};
        std::barrier start(2);
        std::thread deliverer([&] {
            start.arrive_and_wait();
            while (!done.load())
                notifier.notify(1);
        });
        std::thread destroyer([&] {
            start.arrive_and_wait();
            for (auto& observer : observers)
                observer.reset();
            done = true;
        });
        destroyer.join();
        deliverer.join();
        ASSERT_EQ(notifier.observerCount(), 0u) << "round " << round;
    }
}

TEST(dvrObjectModelConcurrencyTest, NotifierAndObserverDestroyedTogetherWhileAThirdDelivers) {
    for (int round = 0; round < rounds; ++round) {
        dvrNotifier survivor;
        auto dying = std::make_unique<dvrNotifier>();
        auto observer = std::make_unique<CountingObserver>();
        dying->addObserver(observer.get(), 1);
        survivor.addObserver(observer.get(), 1);
        std::atomic<bool> done{false};
        std::barrier start(3);
        std::thread deliverer([&] {
            start.arrive_and_wait();
            while (!done.load())
                survivor.notify(1);
        });
        std::thread notifierKiller([&] {
            start.arrive_and_wait();
            dying->notify(1);
            dying.reset();
        });
        std::thread observerKiller([&] {
            start.arrive_and_wait();
            observer.reset();
        });
        notifierKiller.join();
        observerKiller.join();
        done = true;
        deliverer.join();
        ASSERT_EQ(survivor.observerCount(), 0u) << "round " << round;
    }
}

// Two objects that observe each other, destroyed at the same moment on two threads.
class WatchingObject : public dvrObject {
public:
    ~WatchingObject() override { detachObject(); }
    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        told.fetch_add(1, std::memory_order_relaxed);
        dvrObject::onNotify(notifier, events);
    }
    std::atomic<int> told{0};
};

TEST(dvrObjectModelConcurrencyTest, ObjectsWatchingEachOtherDestroyedTogether) {
    for (int round = 0; round < rounds; ++round) {
        auto left = std::make_unique<WatchingObject>();
        auto right = std::make_unique<WatchingObject>();
        left->addObserver(right.get(), 1);
        right->addObserver(left.get(), 1);
        std::barrier start(2);
        std::thread one([&] {
            start.arrive_and_wait();
            left->notify(1);
            left.reset();
        });
        std::thread two([&] {
            start.arrive_and_wait();
            right->notify(1);
            right.reset();
        });
        one.join();
        two.join();
    }
    SUCCEED();
}

} // namespace
