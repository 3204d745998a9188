#pragma once

#include <string>

// Makes the index database usable before any connection opens it: a damaged file is moved aside
// and replaced, a missing file and missing tables and indexes are created.
class dvrIndexSchema {
public:
    // False (logged) when no usable database could be made at path; its directory must exist.
    // Without check, an existing file is taken as it is (it was checked moments before).
    static bool prepare(const std::string& path, bool check = true);
    // "ok", or what SQLite's quick check found (or why the file cannot be opened).
    static std::string quickCheck(const std::string& path);
};
