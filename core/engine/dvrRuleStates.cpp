#include "dvrRuleStates.h"

#include "dvrRuleEvaluation.h"

void dvrRuleStates::update(dvrRuleEvaluation& rules) {
    std::map<std::uint64_t, bool> current;
    for (const auto& [rule, value] : rules.evaluateAll()) {
        auto previous = states_.find(rule);
        bool before = previous != states_.end() && previous->second;
        current[rule] = value;
        if (value != before)
            rules.ruleChanged(rule, value);
    }
    // Rules that are gone are forgotten.
    states_ = std::move(current);
}

bool dvrRuleStates::remembered(std::uint64_t rule) const {
    auto state = states_.find(rule);
    return state != states_.end() && state->second;
}
