#include "settings/dvrGlobalSettings.h"

#include <atomic>
#include <string>

#include "language/dvrTranslatedMessage.h"
#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"

namespace {

std::atomic<dvrSettingSet*> theGlobalSettings{nullptr};

std::string translated(const char* text) { return dvrTranslation::translate(text); }

// Adds an entry whose label, help and choice texts go through the message catalogue.
void add(dvrSettingSet& settings, const char* key, const char* label, int kind, std::uint32_t flags,
         const char* help = "", int low = 0, int high = 0) {
    settings.addSetting(key, *label ? translated(label) : std::string(), *help ? translated(help) : std::string(),
                        kind, flags, low, high);
}

void option(dvrSettingSet& settings, const char* text, int value) { settings.addChoice(translated(text), value); }

void addHeading(dvrSettingSet& settings, const char* label) { add(settings, "", label, dvrSettingKind::heading, 0); }

void addSeparator(dvrSettingSet& settings) { add(settings, "", "", dvrSettingKind::separator, 0); }

const int serialSpeeds[] = {1200, 2400, 4800, 9600, 14400, 38400, 57600, 115200};

} // namespace

dvrSettingSet* dvrGlobalSettings::instance() { return theGlobalSettings.load(); }

dvrSettingSet* dvrGlobalSettings::create() {
    if (!theGlobalSettings.load()) {
        auto* settings = new dvrSettingSet();
        describe(*settings);
        theGlobalSettings.store(settings);
    }
    return theGlobalSettings.load();
}

void dvrGlobalSettings::applyDefaults() {
    if (dvrSettingSet* settings = instance())
        applyDefaults(*settings);
}

void dvrGlobalSettings::destroy() { delete theGlobalSettings.exchange(nullptr); }

void dvrGlobalSettings::describe(dvrSettingSet& s) {
    using namespace dvrSettingKind;
    s.setScope("global");
    s.setObjectName("global");

    addHeading(s, "Visual settings");
    add(s, "customer", "Recorder name", text, 0x20, "Name of this digital video recorder. The name is shown on titlebars.");
    add(s, "stmode", "Live view mode", choice, 0x10, "Default number of cameras shown in the live view.");
    for (int cameras : {1, 4, 6, 8, 9, 10, 13, 16, 25, 36})
        s.addChoice("", cameras);
    add(s, "lastmode", "Restore last view", checkBox, 0x10,
        "If this is selected, the camera views will open as the were last closed.");
    add(s, "drawmode", "Draw mode", choice, 0x2014, "Choosing OpenGL is usually a good idea.");
    option(s, "OpenGL", 0);
    option(s, "GDI", 1);
    add(s, "showcamnum", "Show camera number", checkBox, 0x10, "Show camera number on camera windows' titlebars.");
    add(s, "showcamrec", "Show record light", checkBox, 0x10,
        "Show a little red square in the camera window when recording.");
    add(s, "showstatus", "Show camera status", checkBox, 0x2010,
        "Show camera capture and compression information on top of the image.");
    add(s, "showcamptz", "Show PTZ overlay", checkBox, 0x2010,
        "Show Pan/Tilt/Zoom information and control overlay on the camera image.");
    add(s, "showicons", "Image icons", checkBox, 0x2010, "Show the current camera image also as the window icon.");
    add(s, "lockaspect", "Lock aspect ratio", checkBox, 0x10,
        "Selecting this will force the image windows to be locked to the correct aspect ratio.");
    add(s, "tooltips_enabled", "Show tooltips", checkBox, 0x2010,
        "You can completely disable all tooltips by unchecking this checkbox.");
    add(s, "bgwindow", "Show background window", checkBox, 0x2010,
        "This option enables the background window and background image that covers the Windows desktop");
    add(s, "quickcammenu", "Show quick camera settings menu", checkBox, 0x2010,
        "Enabling this shows all camera settings in the popup menu of a camera window");
    addSeparator(s);

    addHeading(s, "Program settings");
    add(s, "savemode", "Save settings ", choice, 0x14,
        "Should the settings be saved on exit.\nIf `Manually', the settings will not be saved at exit without "
        "explicitly saving them.");
    option(s, "Manually", 0);
    option(s, "Ask on exit", 1);
    option(s, "Automatically", 2);
    add(s, "firstrun", "", hidden, 0x10);
    add(s, "sfx", "Sound effects", checkBox, 0x2010, "Play sound effects.");
    add(s, "keyinterval", "Keyframe interval", slider, 0x2010,
        "Smaller value for more precise searching,\nLarger value for smaller compressed image size.", 1, 10);
    add(s, "startmode", "Startup mode", choice, 0x14, "What to show when the program is started.");
    option(s, "Live view", 0);
    option(s, "Main menu", 1);
    option(s, "Settings", 2);
    option(s, "Start locked", 3);
    add(s, "mainmode", "Main window", choice, 0x14,
        "What to do with the main window when another window is opened. It can either be hidden or kept always "
        "visible.");
    option(s, "Auto hide", 0);
    option(s, "Always on top", 1);
    add(s, "mpgres", "Video export resolution", choice, 0x14,
        "The resolution to use when saving to an external video file.");
    option(s, "352x288 (PAL)", 0);
    option(s, "704x576 (PAL)", 1);
    option(s, "352x240 (NTSC)", 2);
    option(s, "704x480 (NTSC)", 3);
    add(s, "globalrecordrule", "Global recording rule", ruleName, 0x2020,
        "Use this rule to control recording on/off globally.\nLeave blank to ignore.");
    add(s, "videostandard", "Global video standard", choice, 0x14,
        "Which settings should normally be applied to capturing devices - this also affects image aspect ratios "
        "globally.");
    option(s, "NTSC", 0);
    option(s, "PAL", 1);
    add(s, "swwatchdog", "Software watchdog", checkBox, 0x10,
        "Let the program monitor and restart itself if a problem occurs. NOTE! The program must be restarted when "
        "this setting is changed.");
    add(s, "autoreboot", "Automatic reboot", checkBox, 0x10);
    add(s, "autorebootdelay", "Automatic reboot delay (days)", slider, 0x2010, "", 3, 30);
    add(s, "recordwd", "Recording watchdog", checkBox, 0x10,
        "Restart capturing if nothing has been recorded in a certain period");
    add(s, "recordwddelay", "Recording watchdog delay (minutes)", slider, 0x2010,
        "How many minutes to wait before restarting capturing", 5, 60);
    add(s, "advanced", "Enable advanced mode", checkBox, 0x10,
        "Activates the advanced settings mode. You may have to close the settings window before the changes are "
        "applied.");
    addSeparator(s);

    addHeading(s, "Viewer settings");
    add(s, "view_buffer", "Show buffer state", checkBox, 0x2010,
        "Show buffering status on the timeline of the record viewer.");
    add(s, "view_snap", "Snap to closest recording", checkBox, 0x10,
        "Allows the viewer to jump over gaps of non-recorded time.");
    add(s, "view_timestamp", "Show timestamps in title bars", checkBox, 0x10,
        "Shows the time of last shown image on every title bar.");
    add(s, "eyecandy", "Miscellaneous effects", checkBox, 0x2010, "Entertaining special effects.");
    add(s, "sundayfirst", "Week begins on", choice, 0x2014,
        "In record viewer there is a calendar. This setting sets the first day of a week.");
    option(s, "Monday", 0);
    option(s, "Sunday", 1);
    addSeparator(s);
    addSeparator(s);

    addHeading(s, "Communications");
    const std::string disabled = translated("Disabled");
    for (int port = 1; port <= 4; ++port) {
        std::string label = dvrTranslatedMessage::compose("COM %d", "%d", {std::to_string(port)});
        std::string help = dvrTranslatedMessage::compose("Communication speed for serial port `%s', or `%s'.", "%s", {label, disabled});
        s.addSetting("com" + std::to_string(port), label, help, choice, 0x14);
        s.addChoice(disabled, 0);
        for (int speed : serialSpeeds) {
            s.addChoice(dvrTranslatedMessage::compose("%d bps", "%d", {std::to_string(speed)}), speed);
        }
    }
}

void dvrGlobalSettings::applyDefaults(dvrSettingSet& s) {
    s.setText("customer", "Unnamed");
    const struct {
        const char* key;
        int value;
    } defaults[] = {
        {"stmode", 16},      {"lastmode", 0},      {"drawmode", 0},       {"showcamnum", 1},   {"showcamrec", 1},
        {"showstatus", 0},   {"showcamptz", 0},    {"showicons", 0},      {"lockaspect", 0},   {"tooltips_enabled", 1},
        {"bgwindow", 1},     {"quickcammenu", 0},  {"savemode", 0},       {"firstrun", 1},     {"sfx", 0},
        {"keyinterval", 5},  {"startmode", 1},     {"mainmode", 0},       {"mpgres", 0},       {"videostandard", 1},
        {"swwatchdog", 0},   {"autoreboot", 0},    {"autorebootdelay", 7}, {"recordwd", 1},    {"recordwddelay", 30},
        {"advanced", 0},     {"view_buffer", 0},   {"view_snap", 1},      {"view_timestamp", 1}, {"eyecandy", 0},
        {"sundayfirst", 0},  {"com1", 0},          {"com2", 0},           {"com3", 0},         {"com4", 0},
    };
    for (const auto& entry : defaults)
        s.setInt(entry.key, entry.value);
}
