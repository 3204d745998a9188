#include "capture/dvrRecordingDecision.h"

namespace {

// Record every step-th frame: the step for recording at `rate` of `framerate` frames per second;
// 0 records every frame.
int decimationStep(int framerate, int rate) { return rate != 0 && rate < framerate ? framerate / rate : 0; }

} // namespace

dvrRecordingDecision::Outcome dvrRecordingDecision::decide(const Settings& settings, const Frame& frame) {
    Outcome outcome;
    if (frame.motionAmount > 0 && frame.permitted && frame.motionRuleAllows) {
        outcome.record = true;
        outcome.motionTriggered = true;
        postMotionCountdown_ = settings.postFrames + 1;
    }
    if (postMotionCountdown_ > 0) {
        outcome.record = true;
        --postMotionCountdown_;
    }
    outcome.continuous = frame.permitted && frame.continuousRuleTrue;
    if (outcome.continuous) {
        // Motion frames keep the full rate; the continuous rate only adds frames.
        if (framesSinceRecorded_ > decimationStep(settings.framerate, settings.continuousFramerate))
            outcome.record = true;
    } else if (outcome.record) {
        int step = decimationStep(settings.framerate, settings.motionFramerate);
        if (step >= 1 && framesSinceRecorded_ <= step)
            outcome.record = false;
    }
    return outcome;
}
