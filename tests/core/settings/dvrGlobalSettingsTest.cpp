#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

using namespace dvrSettingKind;

struct KeyedEntry {
    const char* key;
    const char* label;
    int kind;
    std::uint32_t flags;
    int low;
    int high;
    int defaultInt;
    const char* defaultText;
};

// Every keyed entry of the global set, in order.
const KeyedEntry keyedEntries[] = {
    {"customer", "Recorder name", text, 0x20, 0, 0, 0, "Unnamed"},
    {"stmode", "Live view mode", choice, 0x10, 0, 0, 16, "16"},
    {"lastmode", "Restore last view", checkBox, 0x10, 0, 0, 0, "0"},
    {"drawmode", "Draw mode", choice, 0x2014, 0, 0, 0, "0"},
    {"showcamnum", "Show camera number", checkBox, 0x10, 0, 0, 1, "1"},
    {"showcamrec", "Show record light", checkBox, 0x10, 0, 0, 1, "1"},
    {"showstatus", "Show camera status", checkBox, 0x2010, 0, 0, 0, "0"},
    {"showcamptz", "Show PTZ overlay", checkBox, 0x2010, 0, 0, 0, "0"},
    {"showicons", "Image icons", checkBox, 0x2010, 0, 0, 0, "0"},
    {"lockaspect", "Lock aspect ratio", checkBox, 0x10, 0, 0, 0, "0"},
    {"tooltips_enabled", "Show tooltips", checkBox, 0x2010, 0, 0, 1, "1"},
    {"bgwindow", "Show background window", checkBox, 0x2010, 0, 0, 1, "1"},
    {"quickcammenu", "Show quick camera settings menu", checkBox, 0x2010, 0, 0, 0, "0"},
    {"savemode", "Save settings ", choice, 0x14, 0, 0, 0, "0"},
    {"firstrun", "", hidden, 0x10, 0, 0, 1, "1"},
    {"sfx", "Sound effects", checkBox, 0x2010, 0, 0, 0, "0"},
    {"keyinterval", "Keyframe interval", slider, 0x2010, 1, 10, 5, "5"},
    {"startmode", "Startup mode", choice, 0x14, 0, 0, 1, "1"},
    {"mainmode", "Main window", choice, 0x14, 0, 0, 0, "0"},
    {"mpgres", "Video export resolution", choice, 0x14, 0, 0, 0, "0"},
    {"globalrecordrule", "Global recording rule", ruleName, 0x2020, 0, 0, 0, ""},
    {"videostandard", "Global video standard", choice, 0x14, 0, 0, 1, "1"},
    {"swwatchdog", "Software watchdog", checkBox, 0x10, 0, 0, 0, "0"},
    {"autoreboot", "Automatic reboot", checkBox, 0x10, 0, 0, 0, "0"},
    {"autorebootdelay", "Automatic reboot delay (days)", slider, 0x2010, 3, 30, 7, "7"},
    {"recordwd", "Recording watchdog", checkBox, 0x10, 0, 0, 1, "1"},
    {"recordwddelay", "Recording watchdog delay (minutes)", slider, 0x2010, 5, 60, 30, "30"},
    {"advanced", "Enable advanced mode", checkBox, 0x10, 0, 0, 0, "0"},
    {"view_buffer", "Show buffer state", checkBox, 0x2010, 0, 0, 0, "0"},
    {"view_snap", "Snap to closest recording", checkBox, 0x10, 0, 0, 1, "1"},
    {"view_timestamp", "Show timestamps in title bars", checkBox, 0x10, 0, 0, 1, "1"},
    {"eyecandy", "Miscellaneous effects", checkBox, 0x2010, 0, 0, 0, "0"},
    {"sundayfirst", "Week begins on", choice, 0x2014, 0, 0, 0, "0"},
    {"com1", "COM 1", choice, 0x14, 0, 0, 0, "0"},
    {"com2", "COM 2", choice, 0x14, 0, 0, 0, "0"},
    {"com3", "COM 3", choice, 0x14, 0, 0, 0, "0"},
    {"com4", "COM 4", choice, 0x14, 0, 0, 0, "0"},
};

using Choices = std::vector<std::pair<std::string, int>>;

const Choices serialChoices = {{"Disabled", 0},      {"1200 bps", 1200},   {"2400 bps", 2400},
                               {"4800 bps", 4800},   {"9600 bps", 9600},   {"14400 bps", 14400},
                               {"38400 bps", 38400}, {"57600 bps", 57600}, {"115200 bps", 115200}};

const struct {
    const char* key;
    Choices choices;
} choiceEntries[] = {
    {"stmode", {{"", 1}, {"", 4}, {"", 6}, {"", 8}, {"", 9}, {"", 10}, {"", 13}, {"", 16}, {"", 25}, {"", 36}}},
    {"drawmode", {{"OpenGL", 0}, {"GDI", 1}}},
    {"savemode", {{"Manually", 0}, {"Ask on exit", 1}, {"Automatically", 2}}},
    {"startmode", {{"Live view", 0}, {"Main menu", 1}, {"Settings", 2}, {"Start locked", 3}}},
    {"mainmode", {{"Auto hide", 0}, {"Always on top", 1}}},
    {"mpgres", {{"352x288 (PAL)", 0}, {"704x576 (PAL)", 1}, {"352x240 (NTSC)", 2}, {"704x480 (NTSC)", 3}}},
    {"videostandard", {{"NTSC", 0}, {"PAL", 1}}},
    {"sundayfirst", {{"Monday", 0}, {"Sunday", 1}}},
    {"com1", serialChoices},
    {"com2", serialChoices},
    {"com3", serialChoices},
    {"com4", serialChoices},
};

class dvrGlobalSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(dvrGlobalSettings::instance(), nullptr);
        settings_ = dvrGlobalSettings::create();
        ASSERT_NE(settings_, nullptr);
        dvrGlobalSettings::applyDefaults();
    }

    void TearDown() override {
        dvrGlobalSettings::destroy();
        EXPECT_EQ(dvrGlobalSettings::instance(), nullptr);
    }

    dvrSettingSet* settings_ = nullptr;
};

TEST_F(dvrGlobalSettingsTest, isOneProcessWideSetWithoutOwner) {
    EXPECT_EQ(dvrGlobalSettings::instance(), settings_);
    EXPECT_EQ(dvrGlobalSettings::create(), settings_);
    EXPECT_EQ(settings_->scope(), "global");
    EXPECT_EQ(settings_->objectName(), "global");
    EXPECT_EQ(settings_->owner(), nullptr);
    EXPECT_FALSE(settings_->isNotSaved());
    EXPECT_FALSE(settings_->isLocked());
}

TEST_F(dvrGlobalSettingsTest, entriesComeInEditorOrder) {
    // Headings are shown as "#label", separators as "-", keyed entries by their key.
    std::vector<std::string> expected = {"#Visual settings"};
    auto addKeys = [&](const char* first, const char* last) {
        bool inside = false;
        for (const KeyedEntry& e : keyedEntries) {
            inside = inside || std::string(e.key) == first;
            if (inside)
                expected.push_back(e.key);
            if (std::string(e.key) == last)
                break;
        }
    };
    addKeys("customer", "quickcammenu");
    expected.insert(expected.end(), {"-", "#Program settings"});
    addKeys("savemode", "advanced");
    expected.insert(expected.end(), {"-", "#Viewer settings"});
    addKeys("view_buffer", "sundayfirst");
    expected.insert(expected.end(), {"-", "-", "#Communications"});
    addKeys("com1", "com4");

    std::vector<std::string> actual;
    for (int i = 0; i < settings_->count(); ++i) {
        const dvrSetting entry = settings_->entry(i);
        if (entry.kind == heading)
            actual.push_back("#" + entry.label);
        else if (entry.kind == separator)
            actual.push_back("-");
        else
            actual.push_back(entry.key);
        if (entry.kind == heading || entry.kind == separator) {
            EXPECT_EQ(entry.key, "") << "entry " << i;
            EXPECT_EQ(entry.flags, 0u) << "entry " << i;
            EXPECT_TRUE(entry.choices.empty()) << "entry " << i;
            EXPECT_EQ(entry.textValue, "") << "entry " << i;
        }
        if (entry.kind == separator) {
            EXPECT_EQ(entry.label, "") << "entry " << i;
        }
    }
    EXPECT_EQ(actual, expected);
}

TEST_F(dvrGlobalSettingsTest, keyedEntriesHaveTheirDescriptionAndDefault) {
    for (const KeyedEntry& e : keyedEntries) {
        SCOPED_TRACE(e.key);
        int index = settings_->find(e.key);
        ASSERT_GE(index, 0);
        const dvrSetting entry = settings_->entry(index);
        EXPECT_EQ(entry.key, e.key);
        EXPECT_EQ(entry.label, e.label);
        EXPECT_EQ(entry.kind, e.kind);
        EXPECT_EQ(entry.flags, e.flags);
        EXPECT_EQ(entry.low, e.low);
        EXPECT_EQ(entry.high, e.high);
        EXPECT_EQ(entry.intValue, e.defaultInt);
        EXPECT_EQ(entry.textValue, e.defaultText);
        EXPECT_EQ(entry.realValue, static_cast<float>(e.defaultInt));
    }
}

TEST_F(dvrGlobalSettingsTest, choiceEntriesHaveTheirChoices) {
    for (const auto& c : choiceEntries) {
        SCOPED_TRACE(c.key);
        int index = settings_->find(c.key);
        ASSERT_GE(index, 0);
        Choices actual;
        for (int n = 0; n < settings_->choiceCount(index); ++n)
            actual.emplace_back(settings_->choiceText(index, n), settings_->choiceValue(index, n));
        EXPECT_EQ(actual, c.choices);
    }
    // Every other entry has none.
    for (int i = 0; i < settings_->count(); ++i) {
        const std::string key = settings_->entry(i).key;
        bool listed = false;
        for (const auto& c : choiceEntries)
            listed = listed || key == c.key;
        if (!listed) {
            EXPECT_EQ(settings_->choiceCount(i), 0) << "entry " << i << " " << key;
        }
    }
}

TEST_F(dvrGlobalSettingsTest, serialPortHelpNamesThePortAndTheDisabledChoice) {
    for (int port = 1; port <= 4; ++port) {
        const dvrSetting entry = settings_->entry(settings_->find("com" + std::to_string(port)));
        EXPECT_EQ(entry.help, "Communication speed for serial port `COM " + std::to_string(port) +
                                  "', or `Disabled'.");
    }
    EXPECT_EQ(settings_->entry(settings_->find("savemode")).help,
              "Should the settings be saved on exit.\nIf `Manually', the settings will not be saved at exit without "
              "explicitly saving them.");
    EXPECT_EQ(settings_->entry(settings_->find("autoreboot")).help, "");
}

TEST_F(dvrGlobalSettingsTest, defaultsAreWrittenAsSettingLines) {
    std::string out;
    settings_->writeSettings(out);

    std::string expected;
    for (const KeyedEntry& e : keyedEntries) {
        if (e.flags & dvrSettingFlag::savedAsInt)
            expected += "set global global " + std::string(e.key) + " int " + std::to_string(e.defaultInt) + "\n";
        if (e.flags & dvrSettingFlag::savedAsText)
            expected += "set global global " + std::string(e.key) + " string " + e.defaultText + "\n";
    }
    EXPECT_EQ(out, expected);

    for (const char* line : {"set global global customer string Unnamed\n", "set global global stmode int 16\n",
                             "set global global globalrecordrule string \n", "set global global com4 int 0\n"})
        EXPECT_NE(out.find(line), std::string::npos) << line;
    EXPECT_EQ(out.rfind("set global global customer string Unnamed\n", 0), 0u);
}

TEST(dvrGlobalSettingsLifetimeTest, existsOnlyBetweenCreateAndDestroy) {
    EXPECT_EQ(dvrGlobalSettings::instance(), nullptr);
    // Without a set there is nothing to give defaults to.
    dvrGlobalSettings::applyDefaults();
    dvrSettingSet* settings = dvrGlobalSettings::create();
    ASSERT_NE(settings, nullptr);
    // Created without values: the defaults are a separate step, before the configuration script.
    EXPECT_EQ(settings->getText("customer"), "");
    EXPECT_EQ(settings->getInt("stmode"), 0);
    dvrGlobalSettings::destroy();
    EXPECT_EQ(dvrGlobalSettings::instance(), nullptr);
    dvrGlobalSettings::destroy();
}

} // namespace
