#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Draws the simulated card's test pictures in packed UYVY: a background of the input's own tint,
// the input number (1-based) in the top left corner, a clock in the bottom left corner and two
// boxes. On a moving input the boxes advance with every picture; otherwise they stay put.
//
// The clock differs from its box in colour only, never in brightness: motion detection looks
// at brightness, so the ticking clock is not motion, while the moving boxes are.
class dvrXecapPictureRenderer {
public:
    struct Scene {
        int width = 0;
        int height = 0;
        int input = 0;
        bool moving = false;
        // The input's picture number; sets where moving boxes are.
        std::uint64_t sequence = 0;
        // "HH:MM:SS"; digits and ':' are drawn, other characters leave a gap.
        std::string clock;
    };

    // bytes becomes width x height x 2 bytes.
    static void render(const Scene& scene, std::vector<std::uint8_t>& bytes);
};
