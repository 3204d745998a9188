#pragma once

#include "dvrDBQuery.h"

// A literal statement with its values.
class dvrDBQuery_sql : public dvrDBQuery {
public:
    explicit dvrDBQuery_sql(std::string text, std::vector<dvrDBValue> values = {});
    void buildSql(std::string& text, std::vector<dvrDBValue>& values) const override;

private:
    std::string text_;
    std::vector<dvrDBValue> values_;
};
