#include "users/dvrUser.h"

#include "console/dvrCommand.h"
#include "language/dvrTranslation.h"
#include "text/dvrText.h"
#include "users/dvrPasswordScrambler.h"
#include "language/dvrTranslatedMessage.h"

namespace {

constexpr int accessGroupCount = 4;

// The rights an administrator holds, besides "admin" itself.
const char* const administratorRights[] = {
    "c_live",     "c_rec",       "c_setup", "c_gallery", "c_remote", "c_brdsetup", "c_brdadjust",
    "c_camsetup", "c_camadjust", "c_rules", "c_users",   "c_img",    "c_mpg",      "c_quit",
    "group1",     "group2",      "group3",  "group4",    "c_ptz",    "c_preset",
};

void add(dvrSettingSet& settings, const char* key, const char* label, const char* help, int kind,
         std::uint32_t flags) {
    // An empty text is never looked up: a catalogue may map "" to its own header.
    settings.addSetting(key, label[0] ? dvrTranslation::translate(label) : "",
                        help[0] ? dvrTranslation::translate(help) : "", kind, flags);
}

void addRight(dvrSettingSet& settings, const char* key, const char* label, const char* help) {
    add(settings, key, label, help, dvrSettingKind::checkBox, dvrSettingFlag::savedAsInt);
}

void addHeading(dvrSettingSet& settings, const char* label) {
    add(settings, "", label, "", dvrSettingKind::heading, 0);
}

} // namespace

std::string dvrUser::storedLogin(std::string_view login) {
    return dvrText::cut(dvrText::singleLine(login), maximumLoginLength);
}

dvrUser::dvrUser(std::string_view login) : login_(storedLogin(login)) {
    settings_.setScope("user");
    settings_.setObjectName(login_);
    describeSettings();
}

void dvrUser::describeSettings() {
    dvrSettingSet& s = settings_;
    add(s, "name", "User name",
        "Name of the user, shown on titlebars. Usually the full name of the user, eg. `John Smith'.",
        dvrSettingKind::text, dvrSettingFlag::savedAsText);
    add(s, "pass", "Password", "Password for this user.", dvrSettingKind::text,
        dvrSettingFlag::savedAsText | dvrSettingFlag::password);

    addHeading(s, "Program parts");
    addRight(s, "c_live", "Live view", "The user may view live image.");
    addRight(s, "c_rec", "Record viewing", "The user may view recordings.");
    addRight(s, "c_setup", "Settings", "The user may change (some) settings; see below also.");
    addRight(s, "c_gallery", "Gallery", "The usermay browse the gallery.");
    addRight(s, "c_remote", "Remote access", "The user may connect to this computer through network.");

    addHeading(s, "Settings");
    addRight(s, "c_brdsetup", "Add/Remove hardware  *", "The user may add or remove devices (boards, etc.)");
    addRight(s, "c_brdadjust", "Adjust hardware",
             "The user may adjust hardware settings (eg. video standard).");
    addRight(s, "c_camsetup", "Add/Remove cameras  *", "The user may add or remove cameras.");
    addRight(s, "c_camadjust", "Adjust cameras",
             "The user may adjust camera settings (contrast, brightness, etc.)");
    addRight(s, "c_rules", "Rule settings", "The user may adjust rule settings.");
    addRight(s, "c_users", "User control  *", "The user may add or remove users, or modify existing ones.");

    addHeading(s, "Tasks");
    addRight(s, "c_img", "Save image",
             "The user may save still images from the live view, or the recordings.");
    addRight(s, "c_mpg", "Export video", "The user may save video clips to an external file.");
    addRight(s, "c_quit", "Quit program  *", "The user may quit the program, and thus stop recording.");
    addRight(s, "c_preset", "Camera preset control",
             "The user may control PTZ cameras with by calling presets");
    addRight(s, "c_ptz", "Camera PTZ control", "The user may control PTZ cameras fully");

    addHeading(s, "Group access");
    add(s, "", "Note! The user rights marked with a * should be granted to only the system administrators.",
        "", dvrSettingKind::note, dvrSettingFlag::neverSaved);
    std::string groupHelp = dvrTranslation::translate(
        "If a user is a member of the specified access group, he has rights to access cameras and devices "
        "restricted with that group definition.");
    for (int group = 1; group <= accessGroupCount; ++group) {
        std::string number = std::to_string(group);
        s.addSetting("group" + number, dvrTranslatedMessage::compose("Access group %d", "%d", {number}),
                     groupHelp, dvrSettingKind::checkBox, dvrSettingFlag::savedAsInt);
    }
    add(s, "admin", "", "", dvrSettingKind::hidden, dvrSettingFlag::savedAsInt);

    addHeading(s, "User settings");
    add(s, "deflayout", "Default layout", "Default camera window layout in record viewer and live image.",
        dvrSettingKind::layout, dvrSettingFlag::savedAsText);
}

std::string dvrUser::password() const {
    return settings_.getText("pass");
}

int dvrUser::right(std::string_view key) const {
    return settings_.getInt(key);
}

void dvrUser::makeAdmin() {
    settings_.setLocked(false);
    for (const char* key : administratorRights)
        settings_.setInt(key, 1);
    settings_.setInt("admin", 1);
    settings_.setLocked(true);
}

int dvrUser::applyUserSet(const dvrCommand& command) {
    const std::string& key = command.argument(2);
    const std::string& type = command.argument(3);
    const std::string& value = command.argument(4);
    bool password = dvrText::equalsIgnoringCase(key, "pass");
    // A number would replace the password text unscrambled, and a later save and load would
    // then scramble it into a different password.
    if (password && !dvrText::equalsIgnoringCase(type, "string"))
        return 1;
    if (dvrText::equalsIgnoringCase(type, "int")) {
        int number = dvrText::toInt(value);
        settings_.setInt(key, number);
        if (dvrText::equalsIgnoringCase(key, "admin") && number == 1)
            makeAdmin();
    } else if (dvrText::equalsIgnoringCase(type, "string")) {
        if (password) {
            std::optional<std::string> stored = dvrPasswordScrambler::storedForm(value);
            if (!stored)
                return 0;
            settings_.setText(key, *stored);
        } else {
            settings_.setText(key, value);
        }
    } else if (dvrText::equalsIgnoringCase(type, "float")) {
        settings_.setReal(key, static_cast<float>(dvrText::toReal(value)));
    }
    return 1;
}
