#pragma once

// A connection to an index database. Every thread that uses the index has its own.
class dvrDB {
public:
    virtual ~dvrDB() = default;
};
