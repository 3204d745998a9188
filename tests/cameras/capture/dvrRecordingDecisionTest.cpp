#include "capture/dvrRecordingDecision.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs a motion script ('M' motion, '.' none) through the decision and returns the recorded
// frames as 'R' and the others as '.'.
std::string run(const dvrRecordingDecision::Settings& settings, const std::string& motion,
                dvrRecordingDecision::Frame base = {}) {
    dvrRecordingDecision decision;
    std::string recorded;
    for (char frame : motion) {
        decision.frameGrabbed();
        dvrRecordingDecision::Frame input = base;
        input.motionAmount = frame == 'M' ? 50 : 0;
        dvrRecordingDecision::Outcome outcome = decision.decide(settings, input);
        if (outcome.record)
            decision.frameRecorded();
        recorded += outcome.record ? 'R' : '.';
    }
    return recorded;
}

TEST(dvrRecordingDecision, MotionPostMotionAndMotionFramerate) {
    struct Case {
        const char* name;
        dvrRecordingDecision::Settings settings;
        std::string motion;
        std::string recorded;
    } cases[] = {
        {"every motion frame at full rate", {25, 0, 0, 0}, "..MMM..M", "..RRR..R"},
        {"motion rate equal to the frame rate", {25, 25, 0, 0}, "MMMM", "RRRR"},
        {"motion rate above the frame rate", {25, 40, 0, 0}, "MMMM", "RRRR"},
        {"framerate_m 5 of 25 records every sixth", {25, 5, 0, 0}, std::string(18, 'M'),
         ".....R.....R.....R"},
        {"three frames after the last motion", {25, 0, 0, 3}, "M.....", "RRRR.."},
        {"the countdown restarts with each motion", {25, 0, 0, 3}, "M..M.....", "RRRRRRR.."},
        {"post frames thinned by the motion rate", {25, 12, 0, 5}, "M......", "..R..R."},
        {"no motion records nothing", {25, 0, 0, 3}, "......", "......"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.settings, c.motion), c.recorded) << c.name;
}

TEST(dvrRecordingDecision, RulesAndContinuousRecording) {
    dvrRecordingDecision::Frame motionRuleFalse;
    motionRuleFalse.motionRuleAllows = false;
    dvrRecordingDecision::Frame continuous;
    continuous.continuousRuleTrue = true;
    dvrRecordingDecision::Frame notPermitted;
    notPermitted.permitted = false;
    notPermitted.continuousRuleTrue = true;

    struct Case {
        const char* name;
        dvrRecordingDecision::Settings settings;
        dvrRecordingDecision::Frame frame;
        std::string motion;
        std::string recorded;
    } cases[] = {
        {"a false motion rule records no motion", {25, 0, 0, 2}, motionRuleFalse, "MMM...", "......"},
        {"continuous at 1 of 25 fps: one frame after more than 25", {25, 0, 1, 0}, continuous,
         std::string(60, '.'), std::string(25, '.') + "R" + std::string(25, '.') + "R" + std::string(8, '.')},
        {"continuous keeps motion frames at full rate", {25, 5, 1, 0}, continuous, "..MMM...",
         "..RRR..."},
        {"continuous without a rate records every frame", {25, 0, 0, 0}, continuous, "....", "RRRR"},
        {"a false global rule stops motion and continuous recording", {25, 0, 0, 3}, notPermitted,
         "MM..MM", "......"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(run(c.settings, c.motion, c.frame), c.recorded) << c.name;
}

TEST(dvrRecordingDecision, OutcomeTellsMotionAndContinuousMode) {
    dvrRecordingDecision decision;
    dvrRecordingDecision::Frame frame;
    frame.motionAmount = 3;
    frame.continuousRuleTrue = true;
    decision.frameGrabbed();
    dvrRecordingDecision::Outcome outcome = decision.decide({25, 0, 0, 4}, frame);
    EXPECT_TRUE(outcome.record);
    EXPECT_TRUE(outcome.motionTriggered);
    EXPECT_TRUE(outcome.continuous);
    EXPECT_EQ(decision.postMotionCountdown(), 4);

    frame.permitted = false;
    outcome = decision.decide({25, 0, 0, 4}, frame);
    EXPECT_FALSE(outcome.motionTriggered);
    EXPECT_FALSE(outcome.continuous);
}

} // namespace
