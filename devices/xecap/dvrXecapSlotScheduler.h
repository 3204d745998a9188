#pragma once

#include <vector>

// Turns the frame rates of a chip group's cameras into the slots of one second: each camera gets
// as many slots as its rate, spread evenly over the slots still free, the fastest camera first.
class dvrXecapSlotScheduler {
public:
    static constexpr int emptySlot = 99;

    // S = frames per second mod 31 (1 when that is 0); K = cameras per group mod 33 (1 when 0).
    void setup(int framesPerSecond, int camerasPerGroup);
    int slotCount() const { return slots_; }
    int cameraCount() const { return cameras_; }

    // requests[c] is camera c's rate (missing entries are 0, entries beyond K are ignored).
    // The result has S entries: the camera index within the group, or emptySlot. When any
    // request exceeds S, every slot goes to camera 0.
    std::vector<int> schedule(const std::vector<int>& requests) const;

private:
    int slots_ = 1;
    int cameras_ = 1;
};
