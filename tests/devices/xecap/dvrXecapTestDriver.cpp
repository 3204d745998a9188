#include "dvrXecapTestDriver.h"

dvrXecapTestDriver::dvrXecapTestDriver(int chipType, int channelCount)
    : driver_(std::make_shared<dvrXecapSimulatedDriver>(dvrXecapSimulatedCard::Pace::manual,
                                                        dvrXecapSimulatedDriver::defaultCardCount, chipType,
                                                        channelCount)) {
    dvrXecapDriver::use(driver_);
}

dvrXecapTestDriver::~dvrXecapTestDriver() {
    dvrXecapDriver::use(nullptr);
}
