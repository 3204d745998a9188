#include "dvrMotionParameters.h"

#include <algorithm>

#include "text/dvrText.h"

dvrMotionParameters::dvrMotionParameters() : word_(pack(Values{})) {}

dvrMotionParameters::Values dvrMotionParameters::values() const {
    return unpack(word_.load());
}

bool dvrMotionParameters::set(std::string_view key, int value) {
    std::uint32_t expected = word_.load();
    for (;;) {
        Values values = unpack(expected);
        if (dvrText::equalsIgnoringCase(key, "mot_sens1"))
            values.sensitivityA = std::clamp(value, 1, 16);
        else if (dvrText::equalsIgnoringCase(key, "mot_sens2"))
            values.sensitivityB = std::clamp(value, 1, 32);
        else if (dvrText::equalsIgnoringCase(key, "mot_edge"))
            values.noiseFilter = std::clamp(value, 3, 7);
        else if (dvrText::equalsIgnoringCase(key, "mot_tol"))
            values.tolerance = std::clamp(value, 1, 64);
        else
            return false;
        if (word_.compare_exchange_weak(expected, pack(values)))
            return true;
    }
}

std::uint32_t dvrMotionParameters::pack(const Values& values) {
    // Every range fits in one byte.
    return static_cast<std::uint32_t>(values.sensitivityA) |
           static_cast<std::uint32_t>(values.sensitivityB) << 8 |
           static_cast<std::uint32_t>(values.noiseFilter) << 16 |
           static_cast<std::uint32_t>(values.tolerance) << 24;
}

dvrMotionParameters::Values dvrMotionParameters::unpack(std::uint32_t word) {
    Values values;
    values.sensitivityA = static_cast<int>(word & 0xFF);
    values.sensitivityB = static_cast<int>(word >> 8 & 0xFF);
    values.noiseFilter = static_cast<int>(word >> 16 & 0xFF);
    values.tolerance = static_cast<int>(word >> 24 & 0xFF);
    return values;
}
