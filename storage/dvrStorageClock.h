#pragma once

#include <cstdint>
#include <functional>

// Wall-clock seconds since 1970 UTC; tests put in their own clock.
using dvrStorageClock = std::function<std::int64_t()>;

dvrStorageClock dvrSystemClock();
