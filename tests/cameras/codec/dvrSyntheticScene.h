#pragma once

#include <cstdint>
#include <vector>

class dvrImage;

// A moving test picture: colour gradients with a fine texture, a bright block moving right and a
// dark block moving down. Drawn in UYVY, RGB24 or BGR24 from the same colours, so a picture
// compressed from any of them can be compared with the UYVY drawing.
class dvrSyntheticScene {
public:
    dvrSyntheticScene(int width, int height);

    // Draws frame number `frame` into the image's capture buffer in the image's format.
    void draw(dvrImage& image, int frame) const;
    std::vector<std::uint8_t> uyvy(int frame) const;
    // Three bytes per pixel; bgr swaps the first and third.
    std::vector<std::uint8_t> rgb(int frame, bool bgr) const;

private:
    struct Colour {
        double red, green, blue;
    };
    Colour colourAt(int x, int y, int frame) const;

    int width_;
    int height_;
};
