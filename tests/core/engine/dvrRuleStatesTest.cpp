#include <gtest/gtest.h>

#include <vector>

#include "dvrRuleEvaluation.h"
#include "dvrRuleStates.h"

namespace {

using Values = std::vector<std::pair<std::uint64_t, bool>>;

class ScriptedRules : public dvrRuleEvaluation {
public:
    Values evaluateAll() override { return rules; }
    void ruleChanged(std::uint64_t rule, bool value) override { changes.emplace_back(rule, value); }
    Values rules;
    Values changes;
};

TEST(dvrRuleStatesTest, ChangesAreReportedOnceEach) {
    ScriptedRules rules;
    dvrRuleStates states;
    struct Step {
        Values now;
        Values expectedChanges;
    } steps[] = {
        {{{1, false}, {2, true}}, {{2, true}}}, // a rule starts remembered as false
        {{{1, false}, {2, true}}, {}},
        {{{1, true}, {2, false}}, {{1, true}, {2, false}}},
        // Rule 1 is deleted: rule 2 moves up a place but keeps its own state, so nothing fires.
        {{{2, false}}, {}},
        // A rule that comes back starts from false again.
        {{{1, true}, {2, false}}, {{1, true}}},
    };
    for (const Step& step : steps) {
        rules.rules = step.now;
        rules.changes.clear();
        states.update(rules);
        EXPECT_EQ(rules.changes, step.expectedChanges);
    }
}

TEST(dvrRuleStatesTest, MoreThanTwoHundredFiftySixRulesAreTracked) {
    ScriptedRules rules;
    dvrRuleStates states;
    for (std::uint64_t i = 0; i < 1000; ++i)
        rules.rules.emplace_back(i, i == 999);
    states.update(rules);
    EXPECT_EQ(rules.changes, (Values{{999, true}}));
    EXPECT_TRUE(states.remembered(999));
}

} // namespace
