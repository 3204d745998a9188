#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// What the refresh pass needs of the rule set: every rule's current truth value under a stable
// identity, and the action to run when a value changes.
class dvrRuleEvaluation {
public:
    virtual ~dvrRuleEvaluation() = default;
    // (rule identity, current value) for every rule, in rule-set order.
    virtual std::vector<std::pair<std::uint64_t, bool>> evaluateAll() = 0;
    virtual void ruleChanged(std::uint64_t rule, bool value) = 0;
};
