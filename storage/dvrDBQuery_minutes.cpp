#include "dvrDBQuery_minutes.h"

dvrDBQuery_minutes::dvrDBQuery_minutes(std::int64_t from, std::int64_t to) : dvrDBQuery_recordings(from, to) {}

void dvrDBQuery_minutes::buildSql(std::string& text, std::vector<dvrDBValue>& values) const {
    text = "SELECT time as minute FROM Datum WHERE time >= ? AND time <= ?";
    values = {from(), to()};
    appendCameraFilter(text, values);
}
