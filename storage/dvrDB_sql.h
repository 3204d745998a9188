#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dvrDB.h"
#include "dvrDBQuery.h"
#include "dvrIndexRow.h"

// An SQL database: every operation is present, does nothing and fails. Kinds of database
// override what they offer.
class dvrDB_sql : public dvrDB {
public:
    // Column name -> that column's values as text, in row order (NULL is empty text).
    using Table = std::map<std::string, std::vector<std::string>>;

    // True when the statement ran and produced at least one row.
    virtual bool execute(const dvrDBQuery& query);
    // The first column of every row; true when it ran and gave at least one value.
    virtual bool queryTimes(const dvrDBQuery& query, std::vector<std::int32_t>& times);
    virtual bool queryTable(const dvrDBQuery& query, Table& table);
    // Datum rows read with "SELECT *", appended.
    virtual bool queryFrames(const dvrDBQuery& query, std::vector<dvrIndexRow>& rows);
};
