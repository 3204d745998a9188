#include "dvrDBQuery_sql.h"

dvrDBQuery_sql::dvrDBQuery_sql(std::string text, std::vector<dvrDBValue> values)
    : text_(std::move(text)), values_(std::move(values)) {
    if (text_.size() > maximumTextLength)
        text_.resize(maximumTextLength);
}

void dvrDBQuery_sql::buildSql(std::string& text, std::vector<dvrDBValue>& values) const {
    text = text_;
    values = values_;
}
