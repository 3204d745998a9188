#include "dvrBoard.h"

#include <algorithm>
#include <atomic>

#include "console/dvrCommand.h"
#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {
// Each new board proposes the next ID; a configuration line then sets the stored one.
std::atomic<int> nextBoardId{0};

std::string translated(const char* text) { return dvrTranslation::translate(text); }
} // namespace

dvrBoard::dvrBoard() {
    dvrSettingSet* settings = getSettings();
    settings->setScope("board");
    settings->setObjectName("temporary");
    settings->addSetting("", translated("Identification"), dvrSettingKind::heading, 0x2000);
    settings->addSetting("ID", translated("ID"),
                         translated("This number identifies the card. In case you have to redo these settings, make "
                                    "sure you give the same identifier."),
                         dvrSettingKind::spin, 0x2010, 0, 255);
    settings->addSetting("", translated("Common settings"), dvrSettingKind::heading, 0x2000);
    settings->addSetting("videostd", translated("Video standard"),
                         translated("In Europe, this is usually PAL.\nIn Northern America, and Japan, NTSC."),
                         dvrSettingKind::choice, 0x2014);
    settings->addChoice(translated("NTSC"), 0);
    settings->addChoice(translated("PAL"), 1);
    settings->addSetting("icon", translated("Device icon"),
                         translated("You can choose a custom icon for this device to be shown in the toolbar."),
                         dvrSettingKind::fileName, 0x3020);
    settings->addSetting("", translated("Device settings"), dvrSettingKind::heading, 0);

    int id = nextBoardId++ % 256;
    settings->setInt("ID", id);
    setId(id);
    settings->setInt("videostd", 1);
    settings->setText("icon", "/card_icon_small.png");
}

dvrBoard::~dvrBoard() { detachObject(); }

bool dvrBoard::start() {
    started_ = true;
    return true;
}

bool dvrBoard::stop() {
    started_ = false;
    return true;
}

int dvrBoard::setInputResolution(int input, int resolution) {
    if (!validInput(input))
        return 0;
    inputs_[input].resolution = resolution;
    return resolution;
}

bool dvrBoard::setInputFormat(int input, int format) {
    if (!validInput(input))
        return false;
    inputs_[input].format = format;
    return true;
}

int dvrBoard::setInputFramerate(int input, int framesPerSecond) {
    if (!validInput(input))
        return 0;
    inputs_[input].framerate = framesPerSecond;
    return framesPerSecond;
}

int dvrBoard::inputResolution(int input) const { return validInput(input) ? inputs_[input].resolution.load() : 0; }
int dvrBoard::inputFormat(int input) const { return validInput(input) ? inputs_[input].format.load() : 0; }
int dvrBoard::inputFramerate(int input) const { return validInput(input) ? inputs_[input].framerate.load() : 0; }

int dvrBoard::getCameraType(int) const { return noCameraType; }

std::vector<dvrFreeInput> dvrBoard::listFreeInputs() const {
    std::vector<dvrFreeInput> list;
    for (int input = 0; input < getInputCount() && input < maximumInputs; ++input)
        if (!inputs_[input].inUse)
            list.push_back({getTypeName() + " [" + std::to_string(input + 1) + "]", input});
    return list;
}

bool dvrBoard::grabFrame(int, const dvrFrameBuffer&) { return false; }

int dvrBoard::watchdogTick() {
    std::lock_guard<std::mutex> guard(tickLock_);
    auto now = std::chrono::steady_clock::now();
    if (lastTick_ && now - *lastTick_ < std::chrono::seconds(1))
        return 1;
    dvrSettingSet* settings = getSettings();
    int result = settings->getInt("watchdog") == 1 ? watchdogEnable(settings->getInt("watchdogtime")) : watchdogDisable();
    lastTick_ = now;
    return result;
}

int dvrBoard::declareWatchdogSettings() {
    dvrSettingSet* settings = getSettings();
    settings->addSetting("watchdog", translated("Enable watchdog"),
                         translated("The watchdog feature monitors the recorder. The recorder constantly tells "
                                    "watchdog that the recorder is still alive. If the recorder doesn't respond "
                                    "within the number of seconds specified in `Watchdog timer', the watchdog will "
                                    "reboot the computer."),
                         dvrSettingKind::checkBox, 0x11);
    settings->addSetting("watchdogtime", translated("Watchdog timer"), translated("The value is in seconds."),
                         dvrSettingKind::slider, 0x10, 30, 180);
    settings->setInt("watchdogtime", 60);
    return 1;
}

int dvrBoard::signalChange(int input) {
    if (input < 0 || input >= signalMemoryInputs)
        return 0;
    std::uint64_t bit = std::uint64_t{1} << input;
    bool present = hasSignal(input);
    bool remembered = (signalMemory_.load() & bit) != 0;
    if (present == remembered)
        return 0;
    if (present)
        signalMemory_ |= bit;
    else
        signalMemory_ &= ~bit;
    return present ? 1 : -1;
}

bool dvrBoard::reserveInput(int input) {
    if (!validInput(input))
        return false;
    bool expected = false;
    return inputs_[input].inUse.compare_exchange_strong(expected, true);
}

bool dvrBoard::releaseInput(int input) {
    if (!validInput(input))
        return false;
    bool expected = true;
    return inputs_[input].inUse.compare_exchange_strong(expected, false);
}

bool dvrBoard::isInputInUse(int input) const { return validInput(input) && inputs_[input].inUse.load(); }

int dvrBoard::applySet(const dvrCommand& command) {
    // Declared settings store their value first; "enable", "DIO_on", "DIO_off" and "TV0"-"TV3"
    // are commands and store nothing.
    dvrObject::applySet(command);
    if (!dvrText::equalsIgnoringCase(command.argument(3), "int"))
        return 1;
    const std::string& key = command.argument(2);
    int value = dvrText::toInt(command.argument(4));
    if (dvrText::equalsIgnoringCase(key, "ID")) {
        // The ID travels in one byte of every recorded frame.
        int id = std::clamp(value, 0, 255);
        getSettings()->setInt("ID", id);
        setId(id);
    } else if (dvrText::equalsIgnoringCase(key, "enable")) {
        if (value != 0)
            open();
        else
            close();
    } else if (dvrText::equalsIgnoringCase(key, "DIO_on") || dvrText::equalsIgnoringCase(key, "DIO_off")) {
        if (value >= 0 && value < getDigitalOutputCount())
            setDigitalOutput(value, dvrText::equalsIgnoringCase(key, "DIO_on"));
    } else if (key.size() == 3 && dvrText::equalsIgnoringCase(key.substr(0, 2), "TV") && key[2] >= '0' &&
               key[2] <= '3') {
        int output = key[2] - '0';
        if (output < getAnalogOutputCount() && validInput(value))
            setAnalogOutput(output, value);
    }
    return 1;
}
