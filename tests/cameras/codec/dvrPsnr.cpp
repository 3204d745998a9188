#include "dvrPsnr.h"

#include <cmath>

double dvrPsnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
    double sum = 0;
    for (std::size_t i = 0; i < size; ++i) {
        double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    if (size == 0 || sum == 0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / static_cast<double>(size)));
}
