#include <gtest/gtest.h>

#include "dvrCapturedLog.h"
#include "dvrDriveTable.h"

namespace {

struct Expected {
    char letter;
    std::uint32_t count;
    std::string root;
};

struct Case {
    const char* name;
    std::string text;
    bool ok;
    std::vector<Expected> drives;
    const char* logged;
};

TEST(dvrDriveTable, ReadsDescriptionFiles) {
    const std::string longRoot = "/mnt/" + std::string(120, 'r');
    const Case cases[] = {
        {"two drives and the end mark", "D\n20\nE\n40\n#\n", true, {{'D', 20, "/s/drives/d"}, {'E', 40, "/s/drives/e"}}, ""},
        {"end of file ends the list", "d\n3", true, {{'d', 3, "/s/drives/d"}}, ""},
        {"text after # is not read", "D\n2\n#\nE\n4\n", true, {{'D', 2, "/s/drives/d"}}, ""},
        {"blank lines name no drive", "\nD\n\n5\n \r\n", true, {{'D', 5, "/s/drives/d"}}, ""},
        {"windows line ends", "D\r\n5\r\n", true, {{'D', 5, "/s/drives/d"}}, ""},
        {"mount point after the letter", "E /mnt/disk2/\n8\n", true, {{'E', 8, "/mnt/disk2"}}, ""},
        {"long mount path is read whole", "F " + longRoot + "\n8\n", true, {{'F', 8, longRoot}}, ""},
        {"count read like atoi", "D\n12abc\n", true, {{'D', 12, "/s/drives/d"}}, ""},
        {"count 0 keeps the drive", "D\nnone\n", true, {{'D', 0, "/s/drives/d"}}, "Invalid page file count for drive D!"},
        {"line without a letter is skipped", "1\nD\n4\n", true, {{'D', 4, "/s/drives/d"}}, "does not start with a drive letter"},
        {"letter without count", "D\n20\nE\n", false, {}, "File system configuration file is corrupted!"},
        {"nothing listed", "#\n", false, {}, "lists no drive"},
    };
    for (const Case& c : cases) {
        dvrCapturedLog log;
        dvrDriveTable table;
        EXPECT_EQ(table.parse(c.text, "/s"), c.ok) << c.name;
        ASSERT_EQ(table.drives().size(), c.drives.size()) << c.name;
        for (std::size_t i = 0; i < c.drives.size(); ++i) {
            EXPECT_EQ(table.drives()[i].letter, c.drives[i].letter) << c.name;
            EXPECT_EQ(table.drives()[i].pageFileCount, c.drives[i].count) << c.name;
            EXPECT_EQ(table.drives()[i].root, c.drives[i].root) << c.name;
        }
        if (*c.logged) {
            EXPECT_TRUE(log.contains(c.logged)) << c.name << ": " << log.all();
        }
    }
}

TEST(dvrDriveTable, RefusesDrivesBeyondSixteen) {
    std::string text;
    for (char letter = 'A'; letter <= 'R'; ++letter)
        text += std::string(1, letter) + "\n1\n";
    dvrCapturedLog log;
    dvrDriveTable table;
    ASSERT_TRUE(table.parse(text, "/s"));
    EXPECT_EQ(table.drives().size(), 16u);
    EXPECT_EQ(table.drives().back().letter, 'P');
    EXPECT_TRUE(log.contains("more than 16 drives")) << log.all();
}

TEST(dvrDriveTable, PathsFollowTheDriveRoots) {
    dvrDriveTable table;
    ASSERT_TRUE(table.parse("E /mnt/e\n2\nD\n2\n", "/s"));
    EXPECT_EQ(dvrDriveTable::pageFilePath(table.drives()[0], 7), "/mnt/e/capture/mrd0007.tt");
    EXPECT_EQ(dvrDriveTable::pageFilePath(table.drives()[1], 12345), "/s/drives/d/capture/mrd12345.tt");
    EXPECT_EQ(table.indexDatabasePath("/s"), "/s/drives/d/capture/index.db");
    EXPECT_EQ(table.find('e'), 0);
    EXPECT_EQ(table.find('d'), 1);
    EXPECT_EQ(table.find('x'), -1);

    dvrDriveTable withoutD;
    ASSERT_TRUE(withoutD.parse("E /mnt/e\n2\n", "/s"));
    EXPECT_EQ(withoutD.indexDatabasePath("/s"), "/s/drives/d/capture/index.db");
}

} // namespace
