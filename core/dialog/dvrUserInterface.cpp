#include "dialog/dvrUserInterface.h"

#include <atomic>

namespace {
std::atomic<dvrUserInterface*> installed{nullptr};
}

dvrUserInterface* dvrUserInterface::instance() {
    return installed.load();
}

void dvrUserInterface::install(dvrUserInterface* userInterface) {
    installed.store(userInterface);
}
