#include "dvrDBQuery_recordings.h"

dvrDBQuery_recordings::dvrDBQuery_recordings(std::int64_t from, std::int64_t to) : from_(from), to_(to) {}

void dvrDBQuery_recordings::setRange(std::int64_t from, std::int64_t to) {
    from_ = from;
    to_ = to;
}

void dvrDBQuery_recordings::addCamera(std::int32_t device, std::int32_t input) { cameras_.emplace(device, input); }

void dvrDBQuery_recordings::appendCameraFilter(std::string& text, std::vector<dvrDBValue>& values) const {
    bool first = true;
    for (const auto& [device, input] : cameras_) {
        text += first ? " AND ( (from_device=? AND from_input=?)" : " OR (from_device=? AND from_input=?)";
        values.emplace_back(std::int64_t{device});
        values.emplace_back(std::int64_t{input});
        first = false;
    }
    if (!first)
        text += ")";
}

void dvrDBQuery_recordings::buildSql(std::string& text, std::vector<dvrDBValue>& values) const {
    text = "SELECT * FROM Datum WHERE time >= ? AND time < ?";
    values = {from_, to_};
    appendCameraFilter(text, values);
}
