#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "object/dvrEvents.h"
#include "object/dvrNotifier.h"
#include "object/dvrObserver.h"

namespace {

struct Delivery {
    dvrNotifier* notifier;
    std::uint32_t events;
};

// Records what it is told and runs an optional action from inside onNotify.
class RecordingObserver : public dvrObserver {
public:
    ~RecordingObserver() override { stopObserving(); }

    void onNotify(dvrNotifier* notifier, std::uint32_t events) override {
        deliveries.push_back({notifier, events});
        dvrObserver::onNotify(notifier, events);
        if (action && (events & actionEvents))
            action();
    }

    int count(std::uint32_t events) const {
        int n = 0;
        for (const Delivery& d : deliveries)
            if (d.events == events)
                ++n;
        return n;
    }

    std::vector<Delivery> deliveries;
    std::function<void()> action;
    std::uint32_t actionEvents = 1;
};

TEST(dvrNotifierTest, RegisteringTwiceMergesMasksAndTellsEachTime) {
    dvrNotifier notifier;
    RecordingObserver observer;
    notifier.addObserver(&observer, 1);
    notifier.addObserver(&observer, 32);
    EXPECT_EQ(notifier.observerMask(&observer), 1u | 32u | 6u);
    EXPECT_EQ(notifier.observerCount(), 1u);
    EXPECT_EQ(observer.count(dvrEvent::registered), 2);
    EXPECT_TRUE(observer.isRegisteredWith(&notifier));
}

TEST(dvrNotifierTest, NullObserverAndZeroMaskChangeNothing) {
    dvrNotifier notifier;
    RecordingObserver observer;
    notifier.addObserver(nullptr, 1);
    notifier.addObserver(&observer, 0);
    EXPECT_EQ(notifier.observerCount(), 0u);
    EXPECT_TRUE(observer.deliveries.empty());
}

TEST(dvrNotifierTest, NotifyDeliversOnlyTheMaskedEvents) {
    dvrNotifier notifier;
    RecordingObserver motion, playback;
    notifier.addObserver(&motion, 1);
    notifier.addObserver(&playback, 64);
    motion.deliveries.clear();
    playback.deliveries.clear();

    notifier.notify(1 | 64 | 128);
    ASSERT_EQ(motion.deliveries.size(), 1u);
    EXPECT_EQ(motion.deliveries[0].events, 1u);
    ASSERT_EQ(playback.deliveries.size(), 1u);
    EXPECT_EQ(playback.deliveries[0].events, 64u);

    notifier.notify(256);
    EXPECT_EQ(motion.deliveries.size(), 1u);
    EXPECT_EQ(playback.deliveries.size(), 1u);
}

TEST(dvrNotifierTest, PartialRemovalKeepsTheEntryUntilRegistrationBitsGo) {
    dvrNotifier notifier;
    RecordingObserver observer;
    notifier.addObserver(&observer, 1 | 32);
    notifier.removeObserver(&observer, 1 | 32);
    EXPECT_EQ(notifier.observerMask(&observer), 6u);
    EXPECT_TRUE(observer.isRegisteredWith(&notifier));
    EXPECT_EQ(observer.count(dvrEvent::removed), 0);

    notifier.removeObserver(&observer, 6);
    EXPECT_EQ(notifier.observerCount(), 0u);
    EXPECT_FALSE(observer.isRegisteredWith(&notifier));
    EXPECT_EQ(observer.count(dvrEvent::removed), 1);
}

TEST(dvrNotifierTest, RemovingWithAllBitsAlwaysRemoves) {
    dvrNotifier notifier;
    RecordingObserver observer;
    notifier.addObserver(&observer, 0x7FFFFFFF);
    notifier.removeObserver(&observer, dvrEvent::all);
    EXPECT_EQ(notifier.observerCount(), 0u);
    EXPECT_EQ(observer.notifierCount(), 0u);
}

TEST(dvrNotifierTest, DestroyingTheNotifierFirstLeavesObserversClean) {
    RecordingObserver first, second;
    {
        dvrNotifier notifier;
        notifier.addObserver(&first, 1);
        notifier.addObserver(&second, 32);
        EXPECT_EQ(first.notifierCount(), 1u);
    }
    EXPECT_EQ(first.notifierCount(), 0u);
    EXPECT_EQ(second.notifierCount(), 0u);
    EXPECT_EQ(first.count(dvrEvent::destroyed), 1);
    EXPECT_EQ(second.count(dvrEvent::destroyed), 1);
}

TEST(dvrNotifierTest, DestroyingTheObserverFirstLeavesNoEntries) {
    dvrNotifier one, two;
    {
        RecordingObserver observer;
        one.addObserver(&observer, 1);
        two.addObserver(&observer, 1);
    }
    EXPECT_EQ(one.observerCount(), 0u);
    EXPECT_EQ(two.observerCount(), 0u);
    one.notify(1); // must not touch the destroyed observer
}

TEST(dvrNotifierTest, InactiveObserverHearsRegistrationAndDestructionOnly) {
    RecordingObserver observer;
    observer.setActive(false);
    {
        dvrNotifier notifier;
        notifier.addObserver(&observer, 1);
        notifier.notify(1);
        EXPECT_EQ(observer.count(1), 0);
        EXPECT_EQ(observer.count(dvrEvent::registered), 1);
    }
    // Without the destruction news the observer would keep a dangling notifier.
    EXPECT_EQ(observer.count(dvrEvent::destroyed), 1);
    EXPECT_EQ(observer.notifierCount(), 0u);

    dvrNotifier other;
    other.addObserver(&observer, 1);
    other.removeObserver(&observer, dvrEvent::all);
    EXPECT_EQ(observer.count(dvrEvent::removed), 1);
}

TEST(dvrNotifierTest, ObserverWithoutDestructionBitStillHearsOfIt) {
    RecordingObserver observer;
    {
        dvrNotifier notifier;
        notifier.addObserver(&observer, 1);
        notifier.removeObserver(&observer, dvrEvent::destroyed);
        ASSERT_EQ(notifier.observerMask(&observer), 1u | 4u);
    }
    EXPECT_EQ(observer.notifierCount(), 0u);
}

TEST(dvrNotifierTest, StaleRegistrationHealsOnFirstEvent) {
    dvrNotifier notifier;
    RecordingObserver observer;
    notifier.addObserver(&observer, 1);
    // Make the observer forget the notifier, as if its record were lost.
    observer.onNotify(&notifier, dvrEvent::removed);
    ASSERT_FALSE(observer.isRegisteredWith(&notifier));
    notifier.notify(1);
    EXPECT_EQ(notifier.observerCount(), 0u);
}

// Delivery while observers change the table from inside onNotify. The table is ordered by
// identity, so the observers come from one array and are ordered by address.
class DeliveryOrderTest : public ::testing::Test {
protected:
    static constexpr int count = 4;
    void SetUp() override {
        for (auto& o : observers) {
            notifier.addObserver(&o, 1);
            o.deliveries.clear();
        }
    }
    int told(int i) const { return observers[i].count(1); }

    dvrNotifier notifier;
    RecordingObserver observers[count];
};

TEST_F(DeliveryOrderTest, SelfRemovalNeitherSkipsNorRepeatsTheNext) {
    for (int i = 0; i < count; ++i) {
        observers[i].action = [this, i] { notifier.removeObserver(&observers[i], dvrEvent::all); };
        notifier.notify(1);
        for (int j = 0; j < count; ++j)
            EXPECT_EQ(told(j), std::min(i, j) + 1) << "removing " << i << ", observer " << j;
    }
    EXPECT_EQ(notifier.observerCount(), 0u);
}

TEST_F(DeliveryOrderTest, RemovingALaterObserverKeepsItFromBeingCalled) {
    observers[0].action = [this] { notifier.removeObserver(&observers[2], dvrEvent::all); };
    notifier.notify(1);
    EXPECT_EQ(told(0), 1);
    EXPECT_EQ(told(1), 1);
    EXPECT_EQ(told(2), 0);
    EXPECT_EQ(told(3), 1);
}

TEST_F(DeliveryOrderTest, RemovingAnEarlierObserverDoesNotDisturbTheLoop) {
    observers[2].action = [this] { notifier.removeObserver(&observers[0], dvrEvent::all); };
    notifier.notify(1);
    for (int j = 0; j < count; ++j)
        EXPECT_EQ(told(j), 1);
    EXPECT_EQ(notifier.observerCount(), 3u);
}

TEST_F(DeliveryOrderTest, RemovalInsideANestedNotifyMovesTheOuterLoopOn) {
    // Observer 1 starts a nested notification (event 32) and observer 3, told of it, removes
    // observer 1 — the entry the outer loop stands on.
    notifier.addObserver(&observers[3], 32);
    observers[3].deliveries.clear();
    observers[1].action = [this] { notifier.notify(32); };
    observers[3].actionEvents = 32;
    observers[3].action = [this] { notifier.removeObserver(&observers[1], dvrEvent::all); };
    notifier.notify(1);
    EXPECT_EQ(told(0), 1);
    EXPECT_EQ(told(1), 1);
    EXPECT_EQ(told(2), 1);
    EXPECT_EQ(told(3), 1);
    EXPECT_EQ(observers[3].count(32), 1);
    EXPECT_EQ(notifier.observerMask(&observers[1]), 0u);
}

TEST_F(DeliveryOrderTest, ObserverMayRegisterAnotherDuringDelivery) {
    RecordingObserver late;
    observers[0].action = [&] { notifier.addObserver(&late, 1); };
    notifier.notify(1);
    EXPECT_TRUE(late.isRegisteredWith(&notifier));
    for (int j = 0; j < count; ++j)
        EXPECT_EQ(told(j), 1);
    EXPECT_LE(late.count(1), 1);
}

} // namespace
