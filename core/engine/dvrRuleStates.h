#pragma once

#include <cstdint>
#include <map>

class dvrRuleEvaluation;

// The truth value of every rule at the previous refresh, keyed by the rule's identity (never by
// its position, so deleting a rule cannot make the next one look changed).
class dvrRuleStates {
public:
    // Evaluates every rule and runs the change action of each whose value differs from the
    // remembered one (a rule never seen before counts as false).
    void update(dvrRuleEvaluation& rules);
    bool remembered(std::uint64_t rule) const;
    std::size_t size() const { return states_.size(); }

private:
    std::map<std::uint64_t, bool> states_;
};
