#pragma once

#include <cstdint>
#include <vector>

// JPEG pictures made with libjpeg-turbo for the tests: a colour gradient with a bright square
// whose place depends on the frame number, so consecutive frames differ (motion).
namespace dvrTestJpeg {

std::vector<std::uint8_t> make(int width, int height, int frame = 0, int quality = 85);

} // namespace dvrTestJpeg
