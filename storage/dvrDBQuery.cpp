#include "dvrDBQuery.h"

void dvrDBQuery::buildSql(std::string& text, std::vector<dvrDBValue>& values) const {
    text.clear();
    values.clear();
}
