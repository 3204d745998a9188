#pragma once

#include <cstdint>
#include <set>
#include <utility>

#include "dvrDBQuery.h"

// The Datum rows of a time range [from, to), of a set of cameras (board ID, input) or of every
// camera when the set is empty.
class dvrDBQuery_recordings : public dvrDBQuery {
public:
    dvrDBQuery_recordings() = default;
    dvrDBQuery_recordings(std::int64_t from, std::int64_t to);

    void buildSql(std::string& text, std::vector<dvrDBValue>& values) const override;
    virtual void setRange(std::int64_t from, std::int64_t to);
    // A pair already in the set changes nothing.
    virtual void addCamera(std::int32_t device, std::int32_t input);

    std::int64_t from() const { return from_; }
    std::int64_t to() const { return to_; }

protected:
    // " AND ( (from_device=? AND from_input=?) OR ...)" for a non-empty set.
    void appendCameraFilter(std::string& text, std::vector<dvrDBValue>& values) const;

private:
    std::int64_t from_ = 0;
    std::int64_t to_ = 0;
    std::set<std::pair<std::int32_t, std::int32_t>> cameras_;
};
