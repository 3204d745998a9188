#include "dvrCapturedLog.h"

dvrCapturedLog::dvrCapturedLog() { dvrLog::setTarget(this); }

dvrCapturedLog::~dvrCapturedLog() { dvrLog::setTarget(nullptr); }

void dvrCapturedLog::write(dvrLogSeverity, const std::string& text) {
    std::lock_guard<std::mutex> guard(lock_);
    messages_.push_back(text);
}

std::vector<std::string> dvrCapturedLog::messages() const {
    std::lock_guard<std::mutex> guard(lock_);
    return messages_;
}

std::string dvrCapturedLog::all() const {
    std::string text;
    for (const std::string& message : messages())
        text += message;
    return text;
}

bool dvrCapturedLog::contains(const std::string& text) const { return all().find(text) != std::string::npos; }

void dvrCapturedLog::clear() {
    std::lock_guard<std::mutex> guard(lock_);
    messages_.clear();
}
