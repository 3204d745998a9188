#pragma once

#include "dvrDBQuery_recordings.h"

// Whether a calendar day (local time, 00:00:00 to 23:59:59) has any recording: one time or none.
class dvrDBQuery_day : public dvrDBQuery_recordings {
public:
    dvrDBQuery_day(int day, int month, int year);
    void buildSql(std::string& text, std::vector<dvrDBValue>& values) const override;

    // The first and last second of the day in local time.
    std::int64_t dayStart() const;
    std::int64_t dayEnd() const;

private:
    std::int64_t localTime(int hour, int minute, int second) const;

    int day_;
    int month_;
    int year_;
};
