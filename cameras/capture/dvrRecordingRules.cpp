#include "capture/dvrRecordingRules.h"

#include <atomic>

namespace {
std::atomic<dvrRecordingRules*> installedRules{nullptr};
}

dvrRecordingRules* dvrRecordingRules::current() { return installedRules.load(); }

void dvrRecordingRules::install(dvrRecordingRules* rules) { installedRules.store(rules); }

void dvrRecordingRules::remove(dvrRecordingRules* rules) {
    dvrRecordingRules* expected = rules;
    installedRules.compare_exchange_strong(expected, nullptr);
}

dvrRecordingRules::Verdict dvrRecordingRules::evaluateNamed(std::string_view ruleName) {
    dvrRecordingRules* rules = current();
    if (ruleName.empty() || !rules)
        return Verdict::noSuchRule;
    return rules->evaluate(ruleName);
}
