#include <gtest/gtest.h>

#include "config/dvrCommentFilter.h"

namespace {

TEST(dvrCommentFilterTest, EveryLineStaysAComment) {
    const struct {
        const char* text;
        const char* filtered;
    } cases[] = {
        {"# Rules\n", "# Rules\n"},
        {"Regeln\n", "#egeln\n"},
        {"# Regeln", "# Regeln\n"},
        {"# one\nset global global x int 1\n", "# one\n#et global global x int 1\n"},
        {"# one\n\n# two\n", "# one\n\n# two\n"},
        {"\n", "\n"},
        {"# ends in a form feed\f", "# ends in a form feed\f"},
        {"# carriage return\r\nrun x\r\n", "# carriage return\r\n#un x\r\n"},
        {" indented\n", "#indented\n"},
        {"", "\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dvrCommentFilter::apply(c.text), c.filtered) << c.text;
}

} // namespace
