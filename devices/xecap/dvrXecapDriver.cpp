#include "dvrXecapDriver.h"

#include <mutex>

#include "dvrXecapSimulatedDriver.h"

namespace {
std::mutex driverLock;
std::shared_ptr<dvrXecapDriver> chosenDriver;
} // namespace

std::shared_ptr<dvrXecapDriver> dvrXecapDriver::current() {
    std::lock_guard<std::mutex> guard(driverLock);
    if (!chosenDriver)
        chosenDriver = std::make_shared<dvrXecapSimulatedDriver>();
    return chosenDriver;
}

void dvrXecapDriver::use(std::shared_ptr<dvrXecapDriver> driver) {
    std::lock_guard<std::mutex> guard(driverLock);
    chosenDriver = std::move(driver);
}
