#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dvrCamera.h"
#include "dvrRecordingBoard.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

struct Row {
    std::string key;
    std::string label;
    int kind;
    std::uint32_t flags;
    int low;
    int high;
    std::string value; // text value after construction
};

// Every entry of a PAL camera's set, in editor order.
std::vector<Row> expectedRows() {
    std::vector<Row> rows = {
        {"", "Visual settings", 6, 0, 0, 0, ""},
        {"name", "Camera title", 1, 0x20, 0, 0, ""},
        {"", "Image compression", 6, 0x4000, 0, 0, ""},
        {"codec", "Codec", 2, 0x2014, 0, 0, "0"},
        {"compress", "Quality", 3, 0x10, 10, 100, "50"},
        {"", "Image adjustments", 6, 0x4000, 0, 0, ""},
        {"framerate", "Framerate", 3, 0x10, 1, 25, "1"},
        {"brightness", "Brightness", 3, 0x10, 0, 255, "0"},
        {"contrast", "Contrast", 3, 0x10, 0, 255, "0"},
        {"sharpness", "Sharpness", 3, 0x2010, 0, 255, "0"},
        {"color", "Color", 3, 0x2010, 0, 255, "0"},
        {"", "Motion detection", 6, 0x4000, 0, 0, ""},
        {"mot_sens1", "Sensitivity A", 3, 0x10, 1, 16, "4"},
        {"mot_sens2", "Sensitivity B", 3, 0x2010, 1, 32, "8"},
        {"mot_edge", "Noise filter", 3, 0x10, 3, 7, "5"},
        {"mot_tol", "Tolerance", 3, 0x2010, 1, 64, "7"},
        {"md_type", "Detection type", 2, 0x2014, 0, 0, "0"},
        {"noclosewindow", "", 7, 0x90, 0, 0, "0"},
        {"", "PTZ and access settings", 6, 0x4000, 0, 0, ""},
        {"group", "Group", 2, 0x2014, 0, 0, "0"},
        {"dometype", "PTZ control", 2, 0x14, 0, 0, "0"},
        {"domecom", "COM port", 24, 0x24, 0, 0, ""},
        {"domeaddr", "Address", 2, 0x14, 0, 0, "0"},
        {"domexspeed", "Dome X speed", 3, 0x2010, 1, 10, "5"},
        {"domeyspeed", "Dome Y speed", 3, 0x2010, 1, 10, "5"},
        {"domezspeed", "Dome zoom speed", 3, 0x2010, 1, 10, "5"},
        {"domecontrol", "", 7, 0x20, 0, 0, "relative"},
        {"", "Image adjustments", 6, 0x280, 0, 0, ""},
        {"rt_motion", "Show motion", 4, 0x210, 0, 0, "0"},
        {"rt_mask", "Show mask", 4, 0x2210, 0, 0, "0"},
        {"rt_status", "Show status", 4, 0x2210, 0, 0, "0"},
        {"rt_updateicon", "Image icon", 4, 0x2210, 0, 0, "0"},
        {"rt_colR", "Red", 3, 0x2210, 0, 255, "255"},
        {"rt_colG", "Green", 3, 0x2210, 0, 255, "255"},
        {"rt_colB", "Blue", 3, 0x2210, 0, 255, "255"},
        {"rt_colI", "Brightness", 3, 0x2210, 0, 255, "128"},
        {"rt_flipH", "Flip horizontally", 4, 0x2210, 0, 0, "0"},
        {"rt_flipV", "Flip vertically", 4, 0x2210, 0, 0, "0"},
        {"activity", "", 7, 0x90, 0, 0, "0"},
        {"needrestart", "", 7, 0x90, 0, 0, "0"},
        {"restartnow", "", 7, 0x90, 0, 0, "0"},
    };
    for (int row = 0; row < 6; ++row)
        rows.push_back({"mask" + std::to_string(row), "", 7, 0x20, 0, 0, ""});
    for (int preset = 0; preset < 16; ++preset)
        rows.push_back({"domepresetname" + std::to_string(preset), "Preset", 7, 0x20, 0, 0, ""});
    std::vector<Row> tail = {
        {"", "Capturing settings", 6, 0x4000, 0, 0, ""},
        {"recordbyrule", "Motion record by rule", 22, 0x2020, 0, 0, ""},
        {"recordbyruleC", "Continuous record by rule", 22, 0x2020, 0, 0, ""},
        {"framerate_c", "Continuous framerate", 3, 0x10, 0, 25, "0"},
        {"framerate_m", "Motion record framerate", 3, 0x10, 0, 25, "0"},
        {"postframes", "Post motion recording", 3, 0x2010, 0, 20, "0"},
        {"restart", "", 7, 0x90, 0, 0, ""},
        {"force_size", "", 7, 0x90, 0, 0, "0"},
        {"streaming", "", 7, 0x90, 0, 0, "0"},
    };
    rows.insert(rows.end(), tail.begin(), tail.end());
    return rows;
}

TEST(dvrCameraSettingsTest, EveryEntryInEditorOrder) {
    dvrCamera camera(nullptr);
    dvrSettingSet& settings = *camera.getSettings();
    EXPECT_EQ(settings.scope(), "camera");
    EXPECT_EQ(settings.objectName(), "temporary");
    std::vector<Row> rows = expectedRows();
    ASSERT_EQ(settings.count(), static_cast<int>(rows.size()));
    for (int index = 0; index < settings.count(); ++index) {
        const Row& row = rows[index];
        dvrSetting entry = settings.entry(index);
        SCOPED_TRACE(index);
        SCOPED_TRACE(row.key.empty() ? row.label : row.key);
        EXPECT_EQ(entry.key, row.key);
        EXPECT_EQ(entry.label, row.label);
        EXPECT_EQ(entry.kind, row.kind);
        EXPECT_EQ(entry.flags, row.flags);
        EXPECT_EQ(entry.low, row.low);
        EXPECT_EQ(entry.high, row.high);
        EXPECT_EQ(entry.textValue, row.value);
        EXPECT_EQ(entry.intValue, dvrText::toInt(row.value));
    }
}

TEST(dvrCameraSettingsTest, ChoicesAndHelpTexts) {
    dvrCamera camera(nullptr);
    dvrSettingSet& settings = *camera.getSettings();
    struct Choices {
        const char* key;
        std::vector<std::pair<std::string, int>> choices;
    } table[] = {
        {"codec", {{"MPEG-4", 0}, {"MJPEG", 1}, {"Theora (experimental)", 5}}},
        {"md_type", {{"Normal", 0}, {"Light change filter", 1}}},
        {"group", {{"No group", 0}, {"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}}},
        {"dometype", {{"None", 0}, {"Pelco-P", 1}, {"Pelco-D", 2}, {"Network", 99}}},
    };
    for (const Choices& c : table) {
        SCOPED_TRACE(c.key);
        int index = settings.find(c.key);
        ASSERT_GE(index, 0);
        std::vector<std::pair<std::string, int>> found;
        for (int n = 0; n < settings.choiceCount(index); ++n)
            found.emplace_back(settings.choiceText(index, n), settings.choiceValue(index, n));
        EXPECT_EQ(found, c.choices);
    }
    int address = settings.find("domeaddr");
    ASSERT_EQ(settings.choiceCount(address), 65);
    EXPECT_EQ(settings.choiceText(address, 64), "64");
    EXPECT_EQ(settings.choiceValue(address, 64), 64);

    EXPECT_EQ(settings.entry(settings.find("mot_tol")).help,
              "How much motion is tolerated until it is reported as motion.");
    EXPECT_EQ(settings.entry(settings.find("recordbyruleC")).help,
              "Record continuously when the specified rule is true.\nLeave empty to ignore.");
    EXPECT_EQ(settings.entry(settings.find("domezspeed")).help,
              "The relative zooming speed of this dome. Values 1 to 10, where 1 is slowest and 10 fastest.");
    EXPECT_TRUE(settings.entry(settings.find("framerate")).help.empty());
}

TEST(dvrCameraSettingsTest, FramerateCeilingFollowsTheBoardsVideoStandard) {
    struct Case {
        int videoStandard;
        int ceiling;
        float aspect;
    } cases[] = {{1, 25, 704.0f / 576.0f}, {0, 30, 704.0f / 480.0f}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.videoStandard);
        dvrRecordingBoard board(c.videoStandard);
        dvrCamera camera(&board);
        dvrSettingSet& settings = *camera.getSettings();
        EXPECT_EQ(camera.getMaxFramerate(), c.ceiling);
        EXPECT_EQ(settings.entry(settings.find("framerate")).high, c.ceiling);
        EXPECT_EQ(settings.entry(settings.find("framerate_c")).high, c.ceiling);
        EXPECT_EQ(settings.entry(settings.find("framerate_m")).high, c.ceiling);
        EXPECT_FLOAT_EQ(camera.getFrameAspect(), c.aspect);
    }
    dvrCamera withoutBoard(nullptr);
    EXPECT_EQ(withoutBoard.getMaxFramerate(), 25);
    EXPECT_EQ(withoutBoard.getMinFramerate(), 1);
}

TEST(dvrCameraSettingsTest, NamingTheCameraNamesItsSettings) {
    dvrCamera camera(nullptr);
    camera.setName("Gate");
    EXPECT_EQ(camera.getSettings()->objectName(), "Gate");
    EXPECT_EQ(camera.getSettings()->getText("name"), "Gate");
    // Hidden program state is never saved; the rest comes back as setting lines.
    std::string saved;
    camera.getSettings()->writeSettings(saved);
    EXPECT_NE(saved.find("set camera Gate name string Gate\n"), std::string::npos);
    EXPECT_NE(saved.find("set camera Gate domecontrol string relative\n"), std::string::npos);
    EXPECT_NE(saved.find("set camera Gate mot_sens2 int 8\n"), std::string::npos);
    for (const char* programState : {"restartnow", "noclosewindow", "needrestart", "activity", "force_size"})
        EXPECT_EQ(saved.find(std::string(" ") + programState + " "), std::string::npos) << programState;
}

} // namespace
