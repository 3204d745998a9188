#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "console/dvrCommand.h"
#include "dvrTestCatalogue.h"
#include "users/dvrUser.h"

namespace {

const char* const everyRight[] = {
    "c_live",     "c_rec",       "c_setup", "c_gallery", "c_remote", "c_brdsetup", "c_brdadjust",
    "c_camsetup", "c_camadjust", "c_rules", "c_users",   "c_img",    "c_mpg",      "c_quit",
    "c_preset",   "c_ptz",       "group1",  "group2",    "group3",   "group4",     "admin",
};

TEST(dvrUserTest, SettingsAreDescribedInEditorOrder) {
    struct Row {
        const char* key;
        const char* label;
        int kind;
        std::uint32_t flags;
        const char* help;
    };
    const char* groupHelp =
        "If a user is a member of the specified access group, he has rights to access cameras "
        "and devices restricted with that group definition.";
    const Row rows[] = {
        {"name", "User name", 1, 0x20, nullptr},
        {"pass", "Password", 1, 0x120, "Password for this user."},
        {"", "Program parts", 6, 0, ""},
        {"c_live", "Live view", 4, 0x10, "The user may view live image."},
        {"c_rec", "Record viewing", 4, 0x10, "The user may view recordings."},
        {"c_setup", "Settings", 4, 0x10, "The user may change (some) settings; see below also."},
        {"c_gallery", "Gallery", 4, 0x10, "The usermay browse the gallery."},
        {"c_remote", "Remote access", 4, 0x10, "The user may connect to this computer through network."},
        {"", "Settings", 6, 0, ""},
        {"c_brdsetup", "Add/Remove hardware  *", 4, 0x10,
         "The user may add or remove devices (boards, etc.)"},
        {"c_brdadjust", "Adjust hardware", 4, 0x10,
         "The user may adjust hardware settings (eg. video standard)."},
        {"c_camsetup", "Add/Remove cameras  *", 4, 0x10, "The user may add or remove cameras."},
        {"c_camadjust", "Adjust cameras", 4, 0x10,
         "The user may adjust camera settings (contrast, brightness, etc.)"},
        {"c_rules", "Rule settings", 4, 0x10, "The user may adjust rule settings."},
        {"c_users", "User control  *", 4, 0x10, "The user may add or remove users, or modify existing ones."},
        {"", "Tasks", 6, 0, ""},
        {"c_img", "Save image", 4, 0x10,
         "The user may save still images from the live view, or the recordings."},
        {"c_mpg", "Export video", 4, 0x10, "The user may save video clips to an external file."},
        {"c_quit", "Quit program  *", 4, 0x10, "The user may quit the program, and thus stop recording."},
        {"c_preset", "Camera preset control", 4, 0x10,
         "The user may control PTZ cameras with by calling presets"},
        {"c_ptz", "Camera PTZ control", 4, 0x10, "The user may control PTZ cameras fully"},
        {"", "Group access", 6, 0, ""},
        {"", "Note! The user rights marked with a * should be granted to only the system administrators.", 8,
         0x80, ""},
        {"group1", "Access group 1", 4, 0x10, groupHelp},
        {"group2", "Access group 2", 4, 0x10, groupHelp},
        {"group3", "Access group 3", 4, 0x10, groupHelp},
        {"group4", "Access group 4", 4, 0x10, groupHelp},
        {"admin", "", 7, 0x10, ""},
        {"", "User settings", 6, 0, ""},
        {"deflayout", "Default layout", 25, 0x20,
         "Default camera window layout in record viewer and live image."},
    };
    dvrUser user("bob");
    const dvrSettingSet& settings = user.settings();
    ASSERT_EQ(settings.count(), static_cast<int>(std::size(rows)));
    for (int i = 0; i < settings.count(); ++i) {
        const Row& row = rows[i];
        dvrSetting entry = settings.entry(i);
        EXPECT_EQ(entry.key, row.key) << i;
        EXPECT_EQ(entry.label, row.label) << i;
        EXPECT_EQ(entry.kind, row.kind) << i;
        EXPECT_EQ(entry.flags, row.flags) << i;
        if (row.help)
            EXPECT_EQ(entry.help, row.help) << i;
        else
            EXPECT_FALSE(entry.help.empty()) << i;
    }
    EXPECT_EQ(settings.scope(), "user");
    EXPECT_EQ(settings.objectName(), "bob");
}

TEST(dvrUserTest, LabelsAndHelpComeFromTheCatalogue) {
    dvrTestCatalogue catalogue({{"Live view", "Livebild"},
                                {"The user may view live image.", "Darf Livebilder sehen."},
                                {"Access group %d", "Zugriffsgruppe %d"}});
    dvrUser user("bob");
    dvrSetting live = user.settings().entry(user.settings().find("c_live"));
    EXPECT_EQ(live.label, "Livebild");
    EXPECT_EQ(live.help, "Darf Livebilder sehen.");
    EXPECT_EQ(user.settings().entry(user.settings().find("group3")).label, "Zugriffsgruppe 3");
    EXPECT_EQ(user.settings().entry(user.settings().find("admin")).label, "");
}

TEST(dvrUserTest, NewUserHasNoRightsAndAnUnlockedSet) {
    dvrUser user("bob");
    for (const char* key : everyRight)
        EXPECT_EQ(user.right(key), 0) << key;
    EXPECT_EQ(user.right("no_such_key"), 0);
    EXPECT_EQ(user.password(), "");
    EXPECT_FALSE(user.settings().isLocked());
}

TEST(dvrUserTest, LoginIsKeptOnOneLineAndCutTo31Characters) {
    dvrUser longUser(std::string(40, 'x'));
    EXPECT_EQ(longUser.login(), std::string(31, 'x'));
    EXPECT_EQ(longUser.settings().objectName(), longUser.login());
    dvrUser twoLines("bob\nquit");
    EXPECT_EQ(twoLines.login().find('\n'), std::string::npos);
}

TEST(dvrUserTest, AdministratorHasEveryRightAndALockedSet) {
    dvrUser user("root");
    user.makeAdmin();
    for (const char* key : everyRight)
        EXPECT_EQ(user.right(key), 1) << key;
    EXPECT_TRUE(user.settings().isLocked());
}

TEST(dvrUserTest, SettingLinesSetValuesAndKeepPasswordsScrambled) {
    struct Case {
        const char* line;
        const char* key;
        const char* text; // the text value afterwards
        int number;       // the integer value afterwards
    };
    const Case cases[] = {
        {"set user bob c_live int 1", "c_live", "1", 1},
        {"set user bob C_LIVE int 0", "c_live", "0", 0},
        {"set user bob name string Robert Smith", "name", "Robert Smith", 0},
        {"set user bob pass string a", "pass", "]5d", 0},
        {"set user bob pass string two words", "pass", "]484b531c4b534e584f", 0},
        {"set user bob pass string ]6144", "pass", "]6144", 0},
        {"set user bob pass string ", "pass", "]", 0},
        {"set user bob deflayout float 2.5", "deflayout", "2.500000", 2},
    };
    dvrUser user("bob");
    for (const Case& c : cases) {
        EXPECT_EQ(user.applyUserSet(dvrCommand::parse(c.line)), 1) << c.line;
        EXPECT_EQ(user.settings().getText(c.key), c.text) << c.line;
        EXPECT_EQ(user.settings().getInt(c.key), c.number) << c.line;
    }
    EXPECT_FALSE(user.settings().isLocked());
}

TEST(dvrUserTest, SettingLinesThatChangeNothingStillSucceed) {
    dvrUser user("bob");
    user.applyUserSet(dvrCommand::parse("set user bob pass string a"));
    for (const char* line : {"set user bob c_live double 1", "set user bob unknown int 1",
                             "get user bob c_live", "set user bob pass int 5", "set user bob pass float 5"})
        EXPECT_EQ(user.applyUserSet(dvrCommand::parse(line)), 1) << line;
    EXPECT_EQ(user.right("c_live"), 0);
    EXPECT_EQ(user.password(), "]5d");
}

TEST(dvrUserTest, AdminLineMakesAnAdministratorOnlyWithValueOne) {
    dvrUser user("bob");
    user.applyUserSet(dvrCommand::parse("set user bob admin int 2"));
    EXPECT_EQ(user.right("c_users"), 0);
    user.applyUserSet(dvrCommand::parse("set user bob admin int 1"));
    EXPECT_EQ(user.right("c_users"), 1);
    EXPECT_TRUE(user.settings().isLocked());
}

TEST(dvrUserTest, PasswordLineThatWouldNotFitKeepsTheOldPassword) {
    dvrUser user("bob");
    user.applyUserSet(dvrCommand::parse("set user bob pass string a"));
    std::string tooLong = "set user bob pass string " + std::string(300, 'p');
    EXPECT_EQ(user.applyUserSet(dvrCommand::parse(tooLong)), 0);
    EXPECT_EQ(user.password(), "]5d");
}

TEST(dvrUserTest, WritesNameTextsAndRightsButNoNote) {
    dvrUser user("bob");
    user.applyUserSet(dvrCommand::parse("set user bob pass string a"));
    user.applyUserSet(dvrCommand::parse("set user bob c_rec int 1"));
    std::string written;
    user.settings().writeSettings(written);
    std::vector<std::string> expected = {
        "set user bob name string ",     "set user bob pass string ]5d",   "set user bob c_live int 0",
        "set user bob c_rec int 1",      "set user bob c_setup int 0",     "set user bob c_gallery int 0",
        "set user bob c_remote int 0",   "set user bob c_brdsetup int 0",  "set user bob c_brdadjust int 0",
        "set user bob c_camsetup int 0", "set user bob c_camadjust int 0", "set user bob c_rules int 0",
        "set user bob c_users int 0",    "set user bob c_img int 0",       "set user bob c_mpg int 0",
        "set user bob c_quit int 0",     "set user bob c_preset int 0",    "set user bob c_ptz int 0",
        "set user bob group1 int 0",     "set user bob group2 int 0",      "set user bob group3 int 0",
        "set user bob group4 int 0",     "set user bob admin int 0",       "set user bob deflayout string ",
    };
    std::string expectedText;
    for (const std::string& line : expected)
        expectedText += line + "\n";
    EXPECT_EQ(written, expectedText);
}

} // namespace
