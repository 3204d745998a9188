#include "dvrStorageClock.h"

#include <ctime>

dvrStorageClock dvrSystemClock() {
    return [] { return static_cast<std::int64_t>(std::time(nullptr)); };
}
