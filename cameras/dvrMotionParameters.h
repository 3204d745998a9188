#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

// The four motion-detection parameters a camera copies from its settings, so the capture thread
// reads them without a settings lookup per frame. All four live in one atomic word: a reader
// always gets a consistent set, never half of an update.
class dvrMotionParameters {
public:
    struct Values {
        int sensitivityA = 4; // "mot_sens1", 1-16
        int sensitivityB = 8; // "mot_sens2", 1-32
        int noiseFilter = 5;  // "mot_edge", 3-7
        int tolerance = 7;    // "mot_tol", 1-64
    };

    dvrMotionParameters();

    Values values() const;
    // Takes the value of one of the four keys, clamped to its range; false for any other key.
    bool set(std::string_view key, int value);

private:
    static std::uint32_t pack(const Values& values);
    static Values unpack(std::uint32_t word);

    std::atomic<std::uint32_t> word_;
};
