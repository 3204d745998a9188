#pragma once

#include "dvrDBQuery_recordings.h"

// The recorded times of [from, to] (both ends included) of the camera set.
class dvrDBQuery_minutes : public dvrDBQuery_recordings {
public:
    dvrDBQuery_minutes(std::int64_t from, std::int64_t to);
    void buildSql(std::string& text, std::vector<dvrDBValue>& values) const override;
};
