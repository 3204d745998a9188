#pragma once

#include <memory>

#include "xecap/dvrXecapSimulatedDriver.h"

// For the lifetime of the object, boards made use two simulated cards whose frames pass only
// when a test advances them; afterwards the default driver comes back.
class dvrXecapTestDriver {
public:
    explicit dvrXecapTestDriver(int chipType = dvrXecapSimulatedCard::defaultChipType,
                                int channelCount = dvrXecapSimulatedCard::defaultChannelCount);
    ~dvrXecapTestDriver();
    dvrXecapTestDriver(const dvrXecapTestDriver&) = delete;
    dvrXecapTestDriver& operator=(const dvrXecapTestDriver&) = delete;

    dvrXecapSimulatedCard& card(int number = 0) { return *driver_->card(number); }

private:
    std::shared_ptr<dvrXecapSimulatedDriver> driver_;
};
