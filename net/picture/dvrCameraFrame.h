#pragma once

#include <cstdint>
#include <vector>

class dvrCamera;

// A copy of a camera's current picture, taken under the camera's image lock so that the
// slow work (conversion, scaling, encoding) happens after the lock is released.
class dvrCameraFrame {
public:
    // Which frame a camera shows: its image buffers and their frame counter. A new image (after
    // the camera was reinitialised) or a new counter means a new frame.
    struct Identity {
        const void* image = nullptr;
        std::uint64_t counter = 0;
        bool operator==(const Identity&) const = default;
    };

    // The identity of the camera's current frame; false when the camera has no image.
    static bool identify(dvrCamera& camera, Identity& identity);
    // Copies the current frame; false when the camera has no image.
    bool copyFrom(dvrCamera& camera);

    // The frame as RGB (red first, top row first) at the given size; false when its pixel
    // format has no conversion to RGB.
    bool toRgb(int width, int height, std::vector<std::uint8_t>& rgb) const;

    const Identity& identity() const { return identity_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int format() const { return format_; }

private:
    Identity identity_;
    int width_ = 0;
    int height_ = 0;
    int format_ = 0;
    std::vector<std::uint8_t> pixels_;
};
