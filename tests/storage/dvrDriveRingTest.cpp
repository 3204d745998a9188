#include <gtest/gtest.h>

#include "dvrDriveRing.h"

namespace {

std::vector<dvrDrive> drives(std::initializer_list<std::pair<char, std::uint32_t>> list) {
    std::vector<dvrDrive> result;
    for (auto [letter, count] : list)
        result.push_back(dvrDrive{letter, count, std::string("/r/") + letter, false});
    return result;
}

TEST(dvrDriveRing, ProductionPageFileKeepsRecordsBelowTheLimit) {
    dvrDriveRing ring(drives({{'D', 2}}));
    EXPECT_EQ(ring.recordEndLimit(), 533708800u);
    ring.setPosition({0, 0, 533708800u - 20252});
    EXPECT_TRUE(ring.fits(20252));  // ends exactly at 533,708,800
    EXPECT_FALSE(ring.fits(20253)); // one byte more moves on
}

TEST(dvrDriveRing, WrapsOverPagesAndDrives) {
    dvrDriveRing ring(drives({{'D', 2}, {'E', 1}, {'F', 3}}));
    std::vector<std::string> visited;
    for (int i = 0; i < 7; ++i) {
        visited.push_back(std::string(1, ring.letter()) + std::to_string(ring.position().page));
        ASSERT_TRUE(ring.nextPage());
        EXPECT_EQ(ring.position().offset, 0u);
    }
    EXPECT_EQ(visited, (std::vector<std::string>{"D0", "D1", "E0", "F0", "F1", "F2", "D0"}));
}

TEST(dvrDriveRing, PassesOverDrivesThatCannotBeUsed) {
    dvrDriveRing ring(drives({{'D', 1}, {'E', 0}, {'F', 1}}));
    ASSERT_TRUE(ring.nextPage());
    EXPECT_EQ(ring.letter(), 'F'); // E has no page files
    ring.setUsable(0, false);
    ASSERT_TRUE(ring.nextPage());
    EXPECT_EQ(ring.letter(), 'F'); // D refused: F again
    EXPECT_FALSE(ring.nextDrive());
    ring.setUsable(2, false);
    EXPECT_FALSE(ring.anyUsable());
    EXPECT_FALSE(ring.nextPage());
}

TEST(dvrDriveRing, StoredPositionOutsideTheTableStartsSafely) {
    dvrDriveRing ring(drives({{'D', 2}, {'E', 2}}));
    ring.setPosition({5, 1, 100});
    EXPECT_EQ(ring.position(), (dvrWritePosition{0, 1, 100}));
    ring.setPosition({1, 9, 100});
    EXPECT_EQ(ring.position(), (dvrWritePosition{1, 0, 0}));
}

} // namespace
