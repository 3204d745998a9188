#pragma once

#include <cstddef>
#include <cstdint>

// Peak signal-to-noise ratio in dB of two byte pictures of the same size; 99 for identical ones.
double dvrPsnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t size);
