#include "dvrCameraSettings.h"

#include <string>

#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"

namespace {

std::string translated(const char* text) {
    return dvrTranslation::translate(text);
}

constexpr const char* domeSpeedHelp[] = {
    "The relative horizontal speed of this dome. Values 1 to 10, where 1 is slowest and 10 fastest.",
    "The relative vertical speed of this dome. Values 1 to 10, where 1 is slowest and 10 fastest.",
    "The relative zooming speed of this dome. Values 1 to 10, where 1 is slowest and 10 fastest.",
};

void heading(dvrSettingSet& s, const char* label, std::uint32_t flags) {
    s.addSetting("", translated(label), dvrSettingKind::heading, flags);
}

void slider(dvrSettingSet& s, const char* key, const char* label, const char* help, std::uint32_t flags,
            int low, int high, int value) {
    s.addSetting(key, translated(label), help ? translated(help) : std::string(), dvrSettingKind::slider,
                 flags, low, high);
    s.setInt(key, value);
}

void checkBox(dvrSettingSet& s, const char* key, const char* label, std::uint32_t flags) {
    s.addSetting(key, translated(label), dvrSettingKind::checkBox, flags);
    s.setInt(key, 0);
}

// Hidden program state starts at 0.
void hiddenNumber(dvrSettingSet& s, const char* key) {
    s.addSetting(key, "", dvrSettingKind::hidden, 0x90);
    s.setInt(key, 0);
}

void hiddenText(dvrSettingSet& s, const std::string& key, std::uint32_t flags) {
    s.addSetting(key, "", dvrSettingKind::hidden, flags);
}

} // namespace

void dvrCameraSettings::declare(dvrSettingSet& s, int framerateCeiling) {
    heading(s, "Visual settings", 0);
    s.addSetting("name", translated("Camera title"),
                 translated("Camera title will be shown on titles of camera windows."), dvrSettingKind::text,
                 0x20);

    heading(s, "Image compression", 0x4000);
    s.addSetting("codec", translated("Codec"), translated("The codec that is used."), dvrSettingKind::choice,
                 0x2014);
    s.addChoice(translated("MPEG-4"), 0);
    s.addChoice(translated("MJPEG"), 1);
    s.addChoice(translated("Theora (experimental)"), 5);
    s.setInt("codec", 0);
    slider(s, "compress", "Quality",
           "Adjust compression quality. Better quality means more disk space being used.", 0x10, 10, 100, 50);

    heading(s, "Image adjustments", 0x4000);
    slider(s, "framerate", "Framerate", nullptr, 0x10, 1, framerateCeiling, 1);
    slider(s, "brightness", "Brightness", nullptr, 0x10, 0, 255, 0);
    slider(s, "contrast", "Contrast", nullptr, 0x10, 0, 255, 0);
    slider(s, "sharpness", "Sharpness", nullptr, 0x2010, 0, 255, 0);
    slider(s, "color", "Color", nullptr, 0x2010, 0, 255, 0);

    heading(s, "Motion detection", 0x4000);
    slider(s, "mot_sens1", "Sensitivity A", nullptr, 0x10, 1, 16, 4);
    slider(s, "mot_sens2", "Sensitivity B", nullptr, 0x2010, 1, 32, 8);
    slider(s, "mot_edge", "Noise filter", nullptr, 0x10, 3, 7, 5);
    slider(s, "mot_tol", "Tolerance", "How much motion is tolerated until it is reported as motion.", 0x2010,
           1, 64, 7);
    s.addSetting(
        "md_type", translated("Detection type"),
        translated("Select the detection type to suit the camera environment. Note that selecting a filter "
                   "might weaken the overall motion detection."),
        dvrSettingKind::choice, 0x2014);
    s.addChoice(translated("Normal"), 0);
    s.addChoice(translated("Light change filter"), 1);
    s.setInt("md_type", 0);
    hiddenNumber(s, "noclosewindow");

    heading(s, "PTZ and access settings", 0x4000);
    s.addSetting("group", translated("Group"), translated("The group to which the camera belongs to."),
                 dvrSettingKind::choice, 0x2014);
    s.addChoice(translated("No group"), 0);
    for (int group = 1; group <= 4; ++group)
        s.addChoice(std::to_string(group), group);
    s.setInt("group", 0);
    s.addSetting("dometype", translated("PTZ control"), translated("The protocol used by this dome."),
                 dvrSettingKind::choice, 0x14);
    s.addChoice(translated("None"), 0);
    s.addChoice(translated("Pelco-P"), 1);
    s.addChoice(translated("Pelco-D"), 2);
    s.addChoice(translated("Network"), 99);
    s.setInt("dometype", 0);
    s.addSetting("domecom", translated("COM port"),
                 translated("The serial port to which the dome is connected to."), dvrSettingKind::serialPort,
                 0x24);
    s.addSetting(
        "domeaddr", translated("Address"),
        translated("The address of the dome. There can be several domes connected to the same serial port, "
                   "when each of them has a unique address."),
        dvrSettingKind::choice, 0x14);
    for (int address = 0; address <= 64; ++address)
        s.addChoice(std::to_string(address), address);
    s.setInt("domeaddr", 0);
    slider(s, "domexspeed", "Dome X speed", domeSpeedHelp[0], 0x2010, 1, 10, 5);
    slider(s, "domeyspeed", "Dome Y speed", domeSpeedHelp[1], 0x2010, 1, 10, 5);
    slider(s, "domezspeed", "Dome zoom speed", domeSpeedHelp[2], 0x2010, 1, 10, 5);
    hiddenText(s, "domecontrol", 0x20);
    s.setText("domecontrol", "relative");

    heading(s, "Image adjustments", 0x280);
    checkBox(s, "rt_motion", "Show motion", 0x210);
    checkBox(s, "rt_mask", "Show mask", 0x2210);
    checkBox(s, "rt_status", "Show status", 0x2210);
    checkBox(s, "rt_updateicon", "Image icon", 0x2210);
    slider(s, "rt_colR", "Red", nullptr, 0x2210, 0, 255, 255);
    slider(s, "rt_colG", "Green", nullptr, 0x2210, 0, 255, 255);
    slider(s, "rt_colB", "Blue", nullptr, 0x2210, 0, 255, 255);
    slider(s, "rt_colI", "Brightness", nullptr, 0x2210, 0, 255, 128);
    checkBox(s, "rt_flipH", "Flip horizontally", 0x2210);
    checkBox(s, "rt_flipV", "Flip vertically", 0x2210);
    hiddenNumber(s, "activity");
    hiddenNumber(s, "needrestart");
    hiddenNumber(s, "restartnow");
    for (int row = 0; row < 6; ++row)
        hiddenText(s, "mask" + std::to_string(row), 0x20);
    for (int preset = 0; preset < 16; ++preset)
        s.addSetting("domepresetname" + std::to_string(preset), translated("Preset"), dvrSettingKind::hidden,
                     0x20);

    heading(s, "Capturing settings", 0x4000);
    s.addSetting("recordbyrule", translated("Motion record by rule"),
                 translated("Record only when the specified rule is true.\nLeave empty to ignore."),
                 dvrSettingKind::ruleName, 0x2020);
    s.addSetting("recordbyruleC", translated("Continuous record by rule"),
                 translated("Record continuously when the specified rule is true.\nLeave empty to ignore."),
                 dvrSettingKind::ruleName, 0x2020);
    slider(s, "framerate_c", "Continuous framerate",
           "This is the framerate for the continuous recording when the rule is applied.", 0x10, 0,
           framerateCeiling, 0);
    slider(
        s, "framerate_m", "Motion record framerate",
        "This is the framerate for the motion recording. Default is maximum, which depends on the capturing "
        "framerate.",
        0x10, 0, framerateCeiling, 0);
    slider(s, "postframes", "Post motion recording",
           "How many frames to record after detected motion. Usually this can be zero, but increase the "
           "amount in "
           "challenging environments where motion detection must be tolerant.",
           0x2010, 0, 20, 0);
    hiddenText(s, "restart", 0x90);
    hiddenNumber(s, "force_size");
    hiddenNumber(s, "streaming");
}
