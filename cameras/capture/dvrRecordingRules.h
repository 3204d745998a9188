#pragma once

#include <string_view>

// What capture threads ask of the event rules: the value of a rule named in a recording setting.
// The rule set installs itself here; without one no rule exists.
class dvrRecordingRules {
public:
    enum class Verdict { noSuchRule, isFalse, isTrue };

    virtual ~dvrRecordingRules() = default;
    virtual Verdict evaluate(std::string_view ruleName) = 0;

    static dvrRecordingRules* current();
    static void install(dvrRecordingRules* rules);
    static void remove(dvrRecordingRules* rules);
    // The verdict of the installed rules; an empty name or no rule set gives noSuchRule.
    static Verdict evaluateNamed(std::string_view ruleName);
};
