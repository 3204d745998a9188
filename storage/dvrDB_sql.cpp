#include "dvrDB_sql.h"

bool dvrDB_sql::execute(const dvrDBQuery&) { return false; }
bool dvrDB_sql::queryTimes(const dvrDBQuery&, std::vector<std::int32_t>&) { return false; }
bool dvrDB_sql::queryTable(const dvrDBQuery&, Table&) { return false; }
bool dvrDB_sql::queryFrames(const dvrDBQuery&, std::vector<dvrIndexRow>&) { return false; }
