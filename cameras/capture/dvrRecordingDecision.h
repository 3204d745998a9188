#pragma once

// Whether one grabbed frame of a camera is recorded: motion, the frames after motion, continuous
// recording by rule and the lower recording frame rates. Keeps the counts between frames.
class dvrRecordingDecision {
public:
    struct Settings {
        int framerate = 0;           // "framerate"
        int motionFramerate = 0;     // "framerate_m"
        int continuousFramerate = 0; // "framerate_c"
        int postFrames = 0;          // "postframes"
    };
    struct Frame {
        bool permitted = true;          // the global recording rule allows recording
        int motionAmount = 0;
        bool motionRuleAllows = true;   // "recordbyrule" is empty, missing or true
        bool continuousRuleTrue = false; // "recordbyruleC" names a rule that is true
    };
    struct Outcome {
        bool record = false;
        bool motionTriggered = false; // motion that may be recorded was seen in this frame
        bool continuous = false;
    };

    // Counts a grabbed frame; call before decide.
    void frameGrabbed() { ++framesSinceRecorded_; }
    Outcome decide(const Settings& settings, const Frame& frame);
    // The frame was handed to the storage.
    void frameRecorded() { framesSinceRecorded_ = 0; }

    int framesSinceRecorded() const { return framesSinceRecorded_; }
    int postMotionCountdown() const { return postMotionCountdown_; }

private:
    int framesSinceRecorded_ = 0;
    int postMotionCountdown_ = 0;
};
