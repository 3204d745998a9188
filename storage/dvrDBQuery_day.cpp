#include "dvrDBQuery_day.h"

#include <ctime>

dvrDBQuery_day::dvrDBQuery_day(int day, int month, int year) : day_(day), month_(month), year_(year) {}

std::int64_t dvrDBQuery_day::localTime(int hour, int minute, int second) const {
    std::tm parts{};
    parts.tm_mday = day_;
    parts.tm_mon = month_ - 1;
    parts.tm_year = year_ - 1900;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1; // the library knows whether daylight saving applies
    return static_cast<std::int64_t>(std::mktime(&parts));
}

std::int64_t dvrDBQuery_day::dayStart() const { return localTime(0, 0, 0); }
std::int64_t dvrDBQuery_day::dayEnd() const { return localTime(23, 59, 59); }

void dvrDBQuery_day::buildSql(std::string& text, std::vector<dvrDBValue>& values) const {
    text = "SELECT time FROM Datum WHERE time >= ? AND time <= ? LIMIT 1";
    values = {dayStart(), dayEnd()};
}
