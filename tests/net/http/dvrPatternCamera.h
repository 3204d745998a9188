#pragma once

#include <cstdint>

#include "dvrBoard.h"
#include "dvrCamera.h"

// Stands in for a capture card: a board with four inputs whose cameras keep real image buffers
// and are painted by the test instead of by a capture thread.
class dvrPatternBoard : public dvrBoard {
public:
    static constexpr int cameraType = 72;
    int getInputCount() const override { return 4; }
    int getCameraType(int) const override { return cameraType; }
    std::string getTypeName() const override { return "Pattern"; }
};

// A camera of 352x288 or 640x480 in UYVY or RGB24. paint fills the left half with one colour
// and the right half with another, as a new frame (the frame counter moves on).
class dvrPatternCamera : public dvrCamera {
public:
    struct Colour {
        std::uint8_t red, green, blue;
    };

    explicit dvrPatternCamera(dvrBoard* board);
    ~dvrPatternCamera() override;

    void paint(Colour left, Colour right);
};
