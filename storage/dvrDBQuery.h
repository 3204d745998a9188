#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// A value bound to a statement parameter: an integer or a text.
using dvrDBValue = std::variant<std::int64_t, std::string>;

// A query makes one statement: its text, with "?" where values go, and the values in order.
// Values never become part of the text.
class dvrDBQuery {
public:
    // Statement texts are short; a longer one is a mistake of the program.
    static constexpr std::size_t maximumTextLength = 2047;

    virtual ~dvrDBQuery() = default;
    virtual void buildSql(std::string& text, std::vector<dvrDBValue>& values) const;
};
