#include "dvrXecapResolutions.h"

namespace {
struct Row {
    int width;
    int palHeight;
    int ntscHeight;
};

constexpr Row rows[dvrXecapResolutions::count] = {
    {0, 0, 0},       {720, 576, 480}, {704, 576, 480}, {640, 576, 480}, {720, 288, 240},
    {704, 288, 240}, {640, 288, 240}, {360, 288, 240}, {352, 288, 240}, {320, 288, 240},
    {180, 144, 120}, {176, 144, 120}, {160, 144, 120},
};
} // namespace

dvrXecapResolutions::Size dvrXecapResolutions::size(int index, bool pal) {
    if (index < 1 || index >= count)
        return {};
    const Row& row = rows[index];
    return {row.width, pal ? row.palHeight : row.ntscHeight};
}

int dvrXecapResolutions::weight(int index) {
    if (index >= 1 && index <= 3)
        return 4;
    if (index >= 4 && index <= 6)
        return 2;
    if (index >= 7 && index <= 12)
        return 1;
    return 0;
}
