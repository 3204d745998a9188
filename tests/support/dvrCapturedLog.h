#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "log/dvrLog.h"

// Collects log messages for the lifetime of the object (installed as the active log target).
class dvrCapturedLog : public dvrLogTarget {
public:
    dvrCapturedLog();
    ~dvrCapturedLog() override;

    void write(dvrLogSeverity severity, const std::string& text) override;
    std::vector<std::string> messages() const;
    std::string all() const;
    bool contains(const std::string& text) const;
    void clear();

private:
    mutable std::mutex lock_;
    std::vector<std::string> messages_;
};
