#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "application/dvrDirectoryTable.h"

namespace {

TEST(dvrDirectoryTableTest, TemplatesStartFromTheWorkingDirectoryAtStart) {
    dvrDirectoryTable::setStartDirectory("C:\\dvr\\site");
    struct Case {
        int number;
        const char* expected;
    } cases[] = {
        {101, "C:/dvr/site"},
        {102, "C:/dvr/site/help"},
        {103, "C:/dvr/site/Gallery"},
        {104, "C:/dvr/site/Layouts"},
        {105, "C:/dvr/site/languages"},
        {106, "C:/dvr/site"},
        {107, ""},
        {108, "C:/dvr/site/resources/images"},
        {109, "C:/dvr/site/resources/icons"},
        {110, "C:/dvr/site/resources/buttons"},
        {111, "C:/dvr/site/resources/sounds"},
        {112, "C:/dvr/site/__poll"},
        {113, ""},
        {114, "%s:/capture"},
        {115, "%s:/capture/mrd%s.tt"},
        {0, ""},
        {-5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dvrDirectoryTable::directory(c.number), c.expected) << c.number;
}

TEST(dvrDirectoryTableTest, EntriesAreComputedOncePerRun) {
    dvrDirectoryTable::setStartDirectory("/first");
    EXPECT_EQ(dvrDirectoryTable::directory(102), "/first/help");
    // The working directory may change later; the table keeps what it computed.
    EXPECT_EQ(dvrDirectoryTable::directory(102), "/first/help");
    dvrDirectoryTable::setStartDirectory("/second");
    EXPECT_EQ(dvrDirectoryTable::directory(102), "/second/help");
}

} // namespace
