#include "network/dvrNetworkCameraModels.h"

namespace {

constexpr dvrNetworkCameraModels::Model models[] = {
    {"Axis 2100 series", 102100},
    {"Axis 2400 series server", 102400},
    {"Axis 200/200+", 100200},
    {"Axis 205/206", 100205},
    {"Mirdal DVR", 700000},
    {"Mobotix M1", 400001},
    {"Mobotix M10", 400010},
    {"Panasonic WV-NM100", 200100},
    {"Panasonic KX / BL series", 200010},
    {"Pixord (generic)", 500000},
    {"Sony (generic)", 600000},
    {"VivoTek (generic)", 300000},
    {"VivoTek VS2402 IP server", 302402},
    {"Generic URL", 0},
};

} // namespace

std::span<const dvrNetworkCameraModels::Model> dvrNetworkCameraModels::all() { return models; }

int dvrNetworkCameraModels::familyOf(int value) {
    if (value == 0)
        return genericUrl;
    if (value < 100000 || value > 799999)
        return -1;
    return value / 100000;
}
