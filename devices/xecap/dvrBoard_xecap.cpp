#include "dvrBoard_xecap.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <ctime>

#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "dvrXecapCharacterTable.h"
#include "dvrXecapInputCamera.h"
#include "dvrXecapResolutions.h"
#include "dvrXecapSimulatedDriver.h"
#include "language/dvrTranslatedMessage.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

constexpr int palFrames = 25;
constexpr int ntscFrames = 30;
constexpr int plainMode = 3;
constexpr int digitalExtensionMode = 19;
constexpr int uartSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400};
constexpr int maximumCards = 8;

std::string translated(const char* text) {
    return dvrTranslation::translate(text);
}

bool is(std::string_view key, std::string_view word) {
    return dvrText::equalsIgnoringCase(key, word);
}

// Schedule changes, stops and (on a multi-card system) frame waits of all boards take turns.
std::mutex& processLock() {
    static std::mutex lock;
    return lock;
}

// Card numbers of the boards alive: a new board takes the lowest free one.
std::mutex cardNumberLock;
std::bitset<maximumCards> cardNumbersInUse;

int takeCardNumber() {
    std::lock_guard<std::mutex> guard(cardNumberLock);
    for (int number = 0; number < maximumCards; ++number)
        if (!cardNumbersInUse[static_cast<std::size_t>(number)]) {
            cardNumbersInUse.set(static_cast<std::size_t>(number));
            return number;
        }
    return maximumCards;
}

void releaseCardNumber(int number) {
    std::lock_guard<std::mutex> guard(cardNumberLock);
    if (number >= 0 && number < maximumCards)
        cardNumbersInUse.reset(static_cast<std::size_t>(number));
}

void checkBox(dvrSettingSet& s, const char* key, const char* label, const char* help, std::uint32_t flags,
              int value) {
    s.addSetting(key, translated(label), help ? translated(help) : std::string(), dvrSettingKind::checkBox,
                 flags);
    s.setInt(key, value);
}

std::string padded(std::string text, std::size_t width) {
    text = dvrText::cut(text, width);
    // Padding counts characters, not bytes, so names with accents line up too.
    std::size_t characters = 0;
    for (unsigned char byte : text)
        if ((byte & 0xC0) != 0x80)
            ++characters;
    if (characters < width)
        text.append(width - characters, ' ');
    return text;
}

} // namespace

dvrBoard_xecap::dvrBoard_xecap() : driver_(dvrXecapDriver::current()), cardIndex_(takeCardNumber()) {
    dvrSettingSet& s = *getSettings();
    declareWatchdogSettings();
    checkBox(s, "switch", "Enable switching",
             "Keep switching between the camera images that are shown through the analog output.", 0x10, 0);
    s.addSetting("switchtime", translated("Switch time"),
                 translated("Switch to next camera image after this many seconds."), dvrSettingKind::slider,
                 0x10, 1, 30);
    s.setInt("switchtime", 5);
    checkBox(s, "bwc", "Enable PCI bandwidth control",
             "Limit the amount of data that is transferred through the PCI bus per second.", 0x2010, 1);
    s.addSetting("bwc_value", translated("PCI bandwidth limit"),
                 translated("The limit unit is tens of kilobytes."), dvrSettingKind::slider, 0x2010, 2000,
                 4000);
    s.setInt("bwc_value", 2830);
    checkBox(s, "din_invert", "Invert digital input",
             "The default state is open, and triggers when closed. This option inverts the input behavior.",
             0x2010, 0);
    checkBox(s, "multicard", "Multiple card system",
             "This must be enabled if multiple xecap boards are to be used in the system.", 0x2010, 0);
    s.addSetting("", translated("XeCap settings"), dvrSettingKind::heading, 0x280);
    s.addSetting("rt_tvout1", translated("Monitor 1"), dvrSettingKind::buttonRow, 0x210, 1, 32);
    s.setInt("rt_tvout1", 1);
    s.addSetting("rt_tvOSD", translated("OSD type"), dvrSettingKind::choice, 0x210);
    s.addChoice(translated("Empty"), 0);
    s.addChoice(translated("Camera number"), 1);
    s.addChoice(translated("Camera name"), 2);
    checkBox(s, "rt_tvOSDrec", "OSD: Show REC", nullptr, 0x210, 0);
    checkBox(s, "rt_tvOSDclock", "OSD: Show clock", nullptr, 0x210, 0);
    checkBox(s, "dio_enable", "Enable DI/O extension",
             "If this is not selected, the digital input/output expansion boards will not work.", 0x10, 0);
    s.addSetting("rs_speed", translated("RS-485 port speed"),
                 translated("Speed of the RS-485 controller on the USB-DIO device, normally 9600bps."),
                 dvrSettingKind::choice, 0x14);
    s.addChoice(translated("Disabled"), -1);
    for (int index = 0; index < static_cast<int>(std::size(uartSpeeds)); ++index)
        s.addChoice(dvrTranslatedMessage::compose("%d bps", "%d", {std::to_string(uartSpeeds[index])}),
                    index);
    s.setInt("rs_speed", -1);
    // The simulated card's moving inputs, one bit per input; saved so a configuration keeps them.
    if (simulatedCard()) {
        s.addSetting("sim_motion", "", dvrSettingKind::hidden, 0x10);
        s.setInt("sim_motion", static_cast<int>(dvrXecapSimulatedCard::defaultMotionInputs));
    }
}

dvrBoard_xecap::~dvrBoard_xecap() {
    detachObject();
    if (opened_)
        clearOsd();
    if (isStarted())
        stop();
    if (opened_)
        watchdogDisable();
    close();
    releaseCardNumber(cardIndex_);
}

int dvrBoard_xecap::framesPerGroup() const {
    return getSettings()->getInt("videostd") == 1 ? palFrames : ntscFrames;
}

dvrXecapSimulatedCard* dvrBoard_xecap::simulatedCard() const {
    auto* simulated = dynamic_cast<dvrXecapSimulatedDriver*>(driver_.get());
    return simulated ? simulated->card(cardIndex_) : nullptr;
}

bool dvrBoard_xecap::searchCard() {
    int count = 0;
    if (driver_->searchBoards(count) != dvrXecapDriver::success || count <= 0)
        return false;
    dvrXecapDriver::Detail detail;
    if (driver_->readDetail(cardIndex_, detail) != dvrXecapDriver::success)
        return false;
    int groups = detail.chipType == 3 ? 2 : detail.chipType == 5 ? 8 : 4;
    int channels = std::clamp(detail.channelCount, 0, dvrXecapDriver::maximumInputs);
    groups_ = groups;
    channels_ = channels;
    camerasPerGroup_ = channels / groups;
    return true;
}

bool dvrBoard_xecap::probe() {
    return searchCard();
}

bool dvrBoard_xecap::open() {
    if (opened_)
        return reset();
    if (!searchCard())
        return false;
    dvrSettingSet* settings = getSettings();
    bool digitalExtension = settings->getInt("dio_enable") != 0;
    int videoFormat = 1 - (settings->getInt("videostd") == 1 ? 1 : 0);
    if (driver_->openCard(cardIndex_, digitalExtension ? digitalExtensionMode : plainMode, videoFormat) !=
        dvrXecapDriver::success) {
        logError("%s", translated("XeCap board not found.").c_str());
        return false;
    }
    logMessage(
        "%s",
        dvrTranslatedMessage::compose("XeCap board (%d) added.", "%d", {std::to_string(cardIndex_)}).c_str());
    {
        std::lock_guard<std::mutex> guard(rs485Lock_);
        rs485Open_ = false;
        rs485Speed_ = -1;
    }
    int frames = framesPerGroup();
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        transferOn_.fill(false);
        scheduler_.setup(frames, camerasPerGroup_);
        schedules_.assign(
            static_cast<std::size_t>(groups_.load()),
            std::vector<int>(static_cast<std::size_t>(frames), dvrXecapSlotScheduler::emptySlot));
    }
    opened_ = true;
    if (digitalExtension)
        openRS485();
    if (dvrXecapSimulatedCard* card = simulatedCard())
        card->setMotionInputs(static_cast<std::uint32_t>(settings->getInt("sim_motion")));
    return true;
}

bool dvrBoard_xecap::close() {
    if (!opened_.exchange(false))
        return true;
    transferEnabled_ = false;
    dvrBoard::stop();
    driver_->closeCard(cardIndex_);
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        transferOn_.fill(false);
    }
    {
        std::lock_guard<std::mutex> guard(pictureLock_);
        for (auto& picture : waited_)
            picture.reset();
    }
    {
        std::lock_guard<std::mutex> guard(rs485Lock_);
        rs485Open_ = false;
    }
    logMessage("%s", translated("XeCap board closed.").c_str());
    return true;
}

bool dvrBoard_xecap::reset() {
    close();
    return open();
}

bool dvrBoard_xecap::start() {
    if (!opened_)
        return false;
    for (int group = 0; group < groups_; ++group)
        rebuildSchedule(group);
    dvrBoard::start();
    for (int input = 0; input < getInputCount(); ++input)
        if (isInputInUse(input))
            startInput(input);
    transferEnabled_ = true;
    return true;
}

bool dvrBoard_xecap::stop() {
    std::lock_guard<std::mutex> guard(processLock());
    if (opened_)
        clearOsd();
    dvrBoard::stop();
    transferEnabled_ = false;
    return true;
}

bool dvrBoard_xecap::startInput(int input) {
    if (!opened_ || !validCardInput(input))
        return false;
    if (driver_->startVideoTransfer(cardIndex_, input, inputResolution(input)) != dvrXecapDriver::success)
        return false;
    std::lock_guard<std::mutex> guard(stateLock_);
    transferOn_[static_cast<std::size_t>(input)] = true;
    return true;
}

bool dvrBoard_xecap::stopInput(int input) {
    if (!validCardInput(input))
        return false;
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        if (!transferOn_[static_cast<std::size_t>(input)])
            return true;
        transferOn_[static_cast<std::size_t>(input)] = false;
    }
    driver_->cancelWait(cardIndex_, input);
    driver_->stopVideoTransfer(cardIndex_, input);
    std::lock_guard<std::mutex> guard(pictureLock_);
    waited_[static_cast<std::size_t>(input)].reset();
    return true;
}

bool dvrBoard_xecap::isTransferOn(int input) const {
    if (input < 0 || input >= dvrXecapDriver::maximumInputs)
        return false;
    std::lock_guard<std::mutex> guard(stateLock_);
    return transferOn_[static_cast<std::size_t>(input)];
}

int dvrBoard_xecap::getInputCount() const {
    return channels_;
}

int dvrBoard_xecap::groupLoad(int input, int excludedInput) const {
    int groups = groups_;
    int load = 0;
    for (int other = input % groups; other < getInputCount(); other += groups)
        if (other != excludedInput && isInputInUse(other))
            load += inputFramerate(other);
    return load;
}

int dvrBoard_xecap::bandwidthLoad(int excludedInput) const {
    int load = 0;
    for (int other = 0; other < getInputCount(); ++other) {
        int resolution = inputResolution(other);
        if (other != excludedInput && resolution != 0)
            load += dvrXecapResolutions::weight(resolution) * inputFramerate(other);
    }
    return load;
}

int dvrBoard_xecap::setInputFramerate(int input, int requested) {
    if (!validCardInput(input))
        return 0;
    int groups = groups_;
    int old = inputFramerate(input);
    dvrBoard::setInputFramerate(input, 0);
    int rate = std::min(requested, framesPerGroup() - groupLoad(input, input));
    if (rate > old) {
        // An increase must also fit the bus: full frames weigh 4, fields 2, smaller pictures 1.
        int budget = std::clamp(groups * 50, 50, 400);
        int own = rate * dvrXecapResolutions::weight(inputResolution(input));
        int load = 0;
        for (int other = 0; other < getInputCount(); ++other)
            if (other != input && isInputInUse(other) && inputResolution(other) != 0)
                load += dvrXecapResolutions::weight(inputResolution(other)) * inputFramerate(other);
        if (budget < load + own)
            rate = old > 0 ? old : 1;
    }
    if (rate <= 0 && camerasPerGroup_ > 0) {
        // A camera with no frames left takes one from every camera of its group that has more than one.
        for (int other = input % groups; other < getInputCount(); other += groups) {
            if (other == input || !isInputInUse(other))
                continue;
            int otherRate = inputFramerate(other);
            if (otherRate > 1) {
                dvrBoard::setInputFramerate(other, otherRate - 1);
                ++rate;
            }
        }
    }
    dvrBoard::setInputFramerate(input, rate);
    if (isStarted())
        rebuildSchedule(input % groups);
    return rate;
}

int dvrBoard_xecap::setInputResolution(int input, int resolution) {
    if (!validCardInput(input))
        return 0;
    int budget = std::clamp(groups_ * 50, 50, 200);
    int load = bandwidthLoad(input);
    if (budget < load + inputFramerate(input) * dvrXecapResolutions::weight(resolution))
        resolution = dvrXecapResolutions::fallback;
    return dvrBoard::setInputResolution(input, resolution);
}

void dvrBoard_xecap::rebuildSchedule(int group) {
    std::lock_guard<std::mutex> processGuard(processLock());
    int groups = groups_;
    if (group < 0 || group >= groups)
        return;
    int frames = framesPerGroup();
    std::vector<int> slots(static_cast<std::size_t>(frames), dvrXecapSlotScheduler::emptySlot);
    {
        std::lock_guard<std::mutex> guard(stateLock_);
        std::vector<int> requests;
        for (int camera = 0; camera < camerasPerGroup_; ++camera) {
            int input = group + camera * groups;
            requests.push_back(isInputInUse(input) ? inputFramerate(input) : 0);
        }
        std::vector<int> cameras = scheduler_.schedule(requests);
        for (std::size_t slot = 0; slot < slots.size() && slot < cameras.size(); ++slot)
            if (cameras[slot] != dvrXecapSlotScheduler::emptySlot)
                slots[slot] = group + cameras[slot] * groups;
        if (static_cast<std::size_t>(group) < schedules_.size())
            schedules_[static_cast<std::size_t>(group)] = slots;
    }
    driver_->setVideoSlices(cardIndex_, group, slots);
}

std::vector<int> dvrBoard_xecap::groupSchedule(int group) const {
    std::lock_guard<std::mutex> guard(stateLock_);
    if (group < 0 || group >= static_cast<int>(schedules_.size()))
        return {};
    return schedules_[static_cast<std::size_t>(group)];
}

bool dvrBoard_xecap::hasSignal(int input) {
    std::uint32_t states = 0;
    if (driver_->readSignalStates(cardIndex_, states) != dvrXecapDriver::success)
        return false;
    if (input == -1) {
        for (int other = 0; other < getInputCount(); ++other)
            if (isInputInUse(other) && (states & (1u << other)) == 0)
                return false;
        return true;
    }
    return validCardInput(input) && (states & (1u << input)) != 0;
}

int dvrBoard_xecap::setDigitalOutput(int index, bool on) {
    if (!validLine(index))
        return 0;
    std::lock_guard<std::mutex> guard(digitalLock_);
    std::uint32_t bit = 1u << index;
    outputStates_ = on ? (outputStates_ | bit) : (outputStates_ & ~bit);
    return 1;
}

int dvrBoard_xecap::getDigitalInput(int index) {
    if (!validLine(index))
        return 0;
    int raw = 0;
    {
        std::lock_guard<std::mutex> guard(digitalLock_);
        raw = (inputStates_ >> index) & 1u;
    }
    return getSettings()->getInt("din_invert") != 0 ? raw : 1 - raw;
}

int dvrBoard_xecap::pollDigitalIO() {
    std::uint32_t outputs = 0;
    {
        std::lock_guard<std::mutex> guard(digitalLock_);
        outputs = outputStates_;
    }
    std::uint32_t inputs = 0;
    if (driver_->writeDigitalOutputs(cardIndex_, outputs) != dvrXecapDriver::success ||
        driver_->readDigitalInputs(cardIndex_, inputs) != dvrXecapDriver::success)
        return 0;
    std::lock_guard<std::mutex> guard(digitalLock_);
    inputStates_ = inputs;
    return 1;
}

bool dvrBoard_xecap::setBrightness(int input, int value) {
    return validCardInput(input) &&
           driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::brightness, value) ==
               dvrXecapDriver::success;
}

bool dvrBoard_xecap::setContrast(int input, int value) {
    return validCardInput(input) &&
           driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::contrast, value) ==
               dvrXecapDriver::success;
}

bool dvrBoard_xecap::setSharpness(int input, int value) {
    return validCardInput(input) &&
           driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::sharpness, value) ==
               dvrXecapDriver::success;
}

bool dvrBoard_xecap::setColor(int input, int value) {
    if (!validCardInput(input))
        return false;
    // Colour is saturation with the hue in the middle.
    bool hue = driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::hue, 127) ==
               dvrXecapDriver::success;
    bool u = driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::saturationU, value) ==
             dvrXecapDriver::success;
    bool v = driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::saturationV, value) ==
             dvrXecapDriver::success;
    return hue && u && v;
}

bool dvrBoard_xecap::setHue(int input, int value) {
    return validCardInput(input) &&
           driver_->setPictureControl(cardIndex_, input, dvrXecapDriver::Control::hue, value) ==
               dvrXecapDriver::success;
}

bool dvrBoard_xecap::waitForFrame(int input, int timeoutMilliseconds) {
    if (!transferEnabled_ || !isStarted() || !isTransferOn(input))
        return false;
    std::shared_ptr<const dvrXecapPicture> picture;
    int result = dvrXecapDriver::failed;
    if (getSettings()->getInt("multicard") != 0) {
        std::lock_guard<std::mutex> guard(processLock());
        result = driver_->waitForNewestImage(cardIndex_, input, timeoutMilliseconds, picture);
    } else {
        result = driver_->waitForNewestImage(cardIndex_, input, timeoutMilliseconds, picture);
    }
    if (result != dvrXecapDriver::success || !picture)
        return false;
    std::lock_guard<std::mutex> guard(pictureLock_);
    waited_[static_cast<std::size_t>(input)] = std::move(picture);
    return true;
}

bool dvrBoard_xecap::grabFrame(int input, const dvrFrameBuffer& buffer) {
    if (!transferEnabled_)
        return false;
    watchdogTick();
    if (!isStarted() || !isTransferOn(input) || buffer.isEmpty())
        return false;
    std::shared_ptr<const dvrXecapPicture> picture;
    {
        std::lock_guard<std::mutex> guard(pictureLock_);
        picture = std::move(waited_[static_cast<std::size_t>(input)]);
    }
    // A picture of another size (the resolution changed meanwhile) does not fit the buffers.
    if (!picture || picture->width != buffer.width || picture->height != buffer.height)
        return false;
    std::size_t size =
        static_cast<std::size_t>(picture->width) * static_cast<std::size_t>(picture->height) * 2;
    size = std::min({size, buffer.size, picture->bytes.size()});
    std::memcpy(buffer.data, picture->bytes.data(), size);
    return true;
}

bool dvrBoard_xecap::openRS485() {
    dvrSettingSet* settings = getSettings();
    if (settings->getInt("dio_enable") == 0) {
        logError("%s",
                 translated("XE_RS485 is not available! The DI/O extension has not been enabled.").c_str());
        return false;
    }
    int speed = settings->getInt("rs_speed");
    if (speed < 0 || speed >= static_cast<int>(std::size(uartSpeeds)))
        return false;
    std::lock_guard<std::mutex> guard(rs485Lock_);
    if (rs485Open_ && rs485Speed_ != speed) {
        driver_->escapeUart(cardIndex_);
        rs485Open_ = false;
    }
    if (rs485Open_)
        return true;
    if (driver_->configureUart(cardIndex_, speed) != dvrXecapDriver::success)
        return false;
    rs485Open_ = true;
    rs485Speed_ = speed;
    logMessage("%s", dvrTranslatedMessage::compose("XE_RS485 inited with %d bps [%d]", "%d",
                                                   {std::to_string(uartSpeeds[speed]), std::to_string(speed)})
                         .c_str());
    return true;
}

int dvrBoard_xecap::writeRS485(const std::uint8_t* bytes, int length) {
    if (!openRS485())
        return 0;
    if (!bytes || length <= 0 || length > largestRs485Write)
        return 0;
    std::lock_guard<std::mutex> guard(rs485Lock_);
    // Bytes the line did not take in time are not written, and the caller must hear so.
    if (driver_->writeUart(cardIndex_, bytes, length, rs485TimeoutMilliseconds) != dvrXecapDriver::success)
        return 0;
    return length;
}

bool dvrBoard_xecap::closeRS485() {
    std::lock_guard<std::mutex> guard(rs485Lock_);
    driver_->escapeUart(cardIndex_);
    rs485Open_ = false;
    return true;
}

bool dvrBoard_xecap::setAnalogOutput(int output, int input) {
    if (input < 0 || input >= dvrXecapDriver::maximumInputs)
        return false;
    // Only monitor 1 is switched on this card.
    if (output != 0)
        return false;
    if (driver_->setTvOut(cardIndex_, input) != dvrXecapDriver::success)
        return false;
    monitorInput_ = input;
    return true;
}

int dvrBoard_xecap::watchdogEnable(int seconds) {
    return driver_->enableWatchdog(cardIndex_, seconds) == dvrXecapDriver::success ? 1 : 0;
}

int dvrBoard_xecap::watchdogDisable() {
    return driver_->disableWatchdog(cardIndex_) == dvrXecapDriver::success ? 1 : 0;
}

void dvrBoard_xecap::attachCamera(int input, dvrXecapInputCamera* camera) {
    if (input < 0 || input >= dvrXecapDriver::maximumInputs)
        return;
    std::lock_guard<std::mutex> guard(cameraLock_);
    cameras_[static_cast<std::size_t>(input)] = camera;
}

void dvrBoard_xecap::detachCamera(int input, dvrXecapInputCamera* camera) {
    if (input < 0 || input >= dvrXecapDriver::maximumInputs)
        return;
    std::lock_guard<std::mutex> guard(cameraLock_);
    if (cameras_[static_cast<std::size_t>(input)] == camera)
        cameras_[static_cast<std::size_t>(input)] = nullptr;
}

void dvrBoard_xecap::setNoSwitch(int input, bool on) {
    if (input < 0 || input >= dvrXecapDriver::maximumInputs)
        return;
    std::lock_guard<std::mutex> guard(stateLock_);
    noSwitch_[static_cast<std::size_t>(input)] = on;
}

int dvrBoard_xecap::framesLeftInGroup(int input) const {
    if (!validCardInput(input))
        return 0;
    return framesPerGroup() - groupLoad(input, -1);
}

void dvrBoard_xecap::publishFramesLeft() {
    std::lock_guard<std::mutex> guard(cameraLock_);
    for (int input = 0; input < dvrXecapDriver::maximumInputs; ++input)
        if (dvrXecapInputCamera* camera = cameras_[static_cast<std::size_t>(input)])
            camera->showFramesLeft(framesLeftInGroup(input));
}

void dvrBoard_xecap::writeOsd(int layer, int position, const std::string& text) {
    std::vector<std::uint8_t> codes = dvrXecapCharacterTable::encode(text);
    std::size_t room = static_cast<std::size_t>(std::max(0, osdColumns * osdLines - position));
    codes.resize(std::min({codes.size(), largestOsdText, room}));
    driver_->writeOsd(cardIndex_, layer, position, codes.data(), static_cast<int>(codes.size()));
}

void dvrBoard_xecap::clearOsd() {
    std::string blanks(static_cast<std::size_t>(osdColumns), ' ');
    for (int layer = 0; layer < dvrXecapDriver::osdLayers; ++layer)
        for (int line = 0; line < osdLines; ++line)
            writeOsd(layer, line * osdColumns, blanks);
    shownRecording_.clear();
    shownClock_.clear();
}

void dvrBoard_xecap::refreshOsd() {
    clearOsd();
    int type = getSettings()->getInt("rt_tvOSD");
    if (type == 1) {
        writeOsd(0, 0, padded(std::to_string(getSettings()->getInt("rt_tvout1")), osdColumns));
    } else if (type == 2) {
        std::string title;
        int input = monitorInput_;
        if (input >= 0 && input < dvrXecapDriver::maximumInputs) {
            std::lock_guard<std::mutex> guard(cameraLock_);
            if (dvrXecapInputCamera* camera = cameras_[static_cast<std::size_t>(input)])
                title = camera->monitorTitle();
        }
        writeOsd(0, 0, padded(dvrText::singleLine(title), osdColumns));
    }
}

void dvrBoard_xecap::switchMonitorToNext() {
    int current = std::max(monitorInput_.load(), 0);
    for (int step = 1; step <= dvrXecapDriver::maximumInputs; ++step) {
        int candidate = (current + step) % dvrXecapDriver::maximumInputs;
        bool skipped = false;
        {
            std::lock_guard<std::mutex> guard(stateLock_);
            skipped = noSwitch_[static_cast<std::size_t>(candidate)];
        }
        if (skipped || !isInputInUse(candidate))
            continue;
        if (candidate != monitorInput_ && setAnalogOutput(0, candidate)) {
            // The monitor setting and its text follow the switch.
            getSettings()->setInt("rt_tvout1", candidate + 1);
            osdRefresh_ = true;
        }
        return;
    }
}

void dvrBoard_xecap::update() {
    dvrSettingSet* settings = getSettings();
    if (settings->getInt("dio_enable") != 0)
        pollDigitalIO();
    if (!opened_)
        return;
    if (osdRefresh_.exchange(false))
        refreshOsd();
    if (settings->getInt("rt_tvOSDrec") != 0) {
        bool recording = false;
        int input = monitorInput_;
        if (input >= 0 && input < dvrXecapDriver::maximumInputs) {
            std::lock_guard<std::mutex> guard(cameraLock_);
            if (dvrXecapInputCamera* camera = cameras_[static_cast<std::size_t>(input)])
                recording = camera->isRecordingMotion();
        }
        std::string mark = recording ? "{}" : "  ";
        if (mark != shownRecording_) {
            writeOsd(0, 22, mark);
            shownRecording_ = mark;
        }
    }
    if (settings->getInt("rt_tvOSDclock") != 0) {
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        char clock[16];
        std::strftime(clock, sizeof clock, "%H:%M:%S", &parts);
        if (clock != shownClock_) {
            writeOsd(0, 40, clock);
            shownClock_ = clock;
        }
    }
    if (settings->getInt("switch") != 0) {
        auto now = std::chrono::steady_clock::now();
        if (now - lastSwitch_ >= std::chrono::seconds(settings->getInt("switchtime"))) {
            switchMonitorToNext();
            lastSwitch_ = now;
        }
    }
}

void dvrBoard_xecap::applySimulation(const std::string& key, int value) {
    dvrXecapSimulatedCard* card = simulatedCard();
    if (!card)
        return;
    if (is(key, "sim_motion"))
        card->setMotionInputs(static_cast<std::uint32_t>(value));
    else if (is(key, "sim_signal_off") || is(key, "sim_signal_on"))
        card->setSignalLost(value, is(key, "sim_signal_off"));
    else if (is(key, "sim_contact_close") || is(key, "sim_contact_open"))
        card->setContactClosed(value, is(key, "sim_contact_close"));
}

int dvrBoard_xecap::applySet(const dvrCommand& command) {
    int result = dvrBoard::applySet(command);
    if (!dvrText::equalsIgnoringCase(command.argument(3), "int"))
        return result;
    const std::string& key = command.argument(2);
    int value = dvrText::toInt(command.argument(4));
    if (is(key, "videostd")) {
        if (opened_)
            if (dvrConsole* console = dvrConsole::instance()) {
                console->run("stop");
                console->run("start");
            }
    } else if (is(key, "rt_tvout1")) {
        setAnalogOutput(0, value - 1);
        osdRefresh_ = true;
    } else if (is(key, "rt_tvout2")) {
        setAnalogOutput(1, value - 1);
        osdRefresh_ = true;
    } else if (is(key, "rt_tvOSD")) {
        osdRefresh_ = true;
    } else if (dvrText::lowerCase(key).rfind("sim_", 0) == 0) {
        applySimulation(key, value);
    }
    return result;
}
