#include "users/dvrLoginBackoff.h"

std::chrono::seconds dvrLoginBackoff::waitAfter(int failures) {
    if (failures <= 0)
        return std::chrono::seconds(0);
    if (failures >= 3)
        return longestWait;
    return std::chrono::seconds(2 << (failures - 1));
}
