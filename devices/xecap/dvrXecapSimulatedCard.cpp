#include "dvrXecapSimulatedCard.h"

#include <algorithm>
#include <ctime>

#include "dvrXecapCharacterTable.h"
#include "dvrXecapPictureRenderer.h"
#include "dvrXecapResolutions.h"

namespace {
constexpr int palFrames = 25;
constexpr int ntscFrames = 30;
constexpr int uartSpeeds = 6;
constexpr int emptySlot = 99;

std::string clockText(std::time_t seconds) {
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &parts);
    return text;
}

std::string elapsedClock(std::uint64_t seconds) {
    char text[16];
    unsigned hours = static_cast<unsigned>((seconds / 3600) % 24);
    unsigned minutes = static_cast<unsigned>((seconds / 60) % 60);
    unsigned rest = static_cast<unsigned>(seconds % 60);
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", hours, minutes, rest);
    return text;
}
} // namespace

dvrXecapSimulatedCard::dvrXecapSimulatedCard(Pace pace, int chipType, int channelCount)
    : pace_(pace), chipType_(chipType),
      channelCount_(std::clamp(channelCount, 0, dvrXecapDriver::maximumInputs)) {
    for (int input = 0; input < dvrXecapDriver::maximumInputs; ++input) {
        inputs_[input].moving = (defaultMotionInputs >> input) & 1u;
        inputs_[input].controls.fill(128);
    }
    slots_.resize(static_cast<std::size_t>(groupCount()));
    for (auto& layer : osd_)
        layer.fill(dvrXecapCharacterTable::code(' '));
}

dvrXecapSimulatedCard::~dvrXecapSimulatedCard() {
    stopThread();
}

int dvrXecapSimulatedCard::groupCount() const {
    if (chipType_ == 3)
        return 2;
    if (chipType_ == 5)
        return 8;
    return 4;
}

dvrXecapDriver::Detail dvrXecapSimulatedCard::detail() const {
    return {chipType_, channelCount_};
}

int dvrXecapSimulatedCard::open(int mode, int videoFormat) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (open_)
            return dvrXecapDriver::failed;
        open_ = true;
        mode_ = mode;
        videoFormat_ = videoFormat == 1 ? 1 : 0;
        for (auto& table : slots_)
            table.clear();
    }
    if (pace_ == Pace::realTime)
        startThread();
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::close() {
    stopThread();
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    open_ = false;
    for (auto& input : inputs_) {
        input.transfer = false;
        ++input.cancelGeneration;
    }
    pictureArrived_.notify_all();
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::framesPerSecond() const {
    std::lock_guard<std::mutex> guard(lock_);
    return videoFormat_ == 1 ? ntscFrames : palFrames;
}

int dvrXecapSimulatedCard::signalStates(std::uint32_t& states) const {
    std::lock_guard<std::mutex> guard(lock_);
    states = 0;
    if (!open_)
        return dvrXecapDriver::failed;
    // Only an input with a camera sends video: here, one whose transfer is on.
    for (int input = 0; input < channelCount_; ++input)
        if (inputs_[input].transfer && !inputs_[input].signalLost)
            states |= 1u << input;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::setVideoSlices(int group, const std::vector<int>& slots) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || group < 0 || group >= static_cast<int>(slots_.size()) || slots.size() > 64)
        return dvrXecapDriver::failed;
    slots_[static_cast<std::size_t>(group)] = slots;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::startTransfer(int input, int resolution) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || input < 0 || input >= channelCount_ || resolution < 1 ||
        resolution >= dvrXecapResolutions::count)
        return dvrXecapDriver::failed;
    inputs_[input].transfer = true;
    inputs_[input].resolution = resolution;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::stopTransfer(int input) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || input < 0 || input >= channelCount_)
        return dvrXecapDriver::failed;
    inputs_[input].transfer = false;
    pictureArrived_.notify_all();
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::waitForNewest(int input, int timeoutMilliseconds,
                                         std::shared_ptr<const dvrXecapPicture>& picture) {
    std::unique_lock<std::mutex> guard(lock_);
    if (!open_ || input < 0 || input >= channelCount_)
        return dvrXecapDriver::failed;
    Input& state = inputs_[input];
    std::uint64_t generation = state.cancelGeneration;
    auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMilliseconds, 0));
    bool arrived = pictureArrived_.wait_until(guard, deadline, [&] {
        return state.cancelGeneration != generation || !state.transfer ||
               (state.newest && state.newest->sequence > state.handedOut);
    });
    if (state.cancelGeneration != generation)
        return dvrXecapDriver::cancelled;
    // A stopped transfer brings nothing more.
    if (!state.transfer)
        return dvrXecapDriver::failed;
    if (!arrived)
        return dvrXecapDriver::timedOut;
    picture = state.newest;
    state.handedOut = picture->sequence;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::cancelWait(int input) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!validInput(input))
        return dvrXecapDriver::failed;
    ++inputs_[input].cancelGeneration;
    pictureArrived_.notify_all();
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::setPictureControl(int input, dvrXecapDriver::Control control, int value) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || input < 0 || input >= channelCount_ || value < 0 || value > 255)
        return dvrXecapDriver::failed;
    inputs_[input].controls[static_cast<std::size_t>(control)] = value;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::writeDigitalOutputs(std::uint32_t states) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    digitalOutputs_ = states;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::readDigitalInputs(std::uint32_t& states) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    states = digitalInputs_;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::setTvOut(int input) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || !validInput(input))
        return dvrXecapDriver::failed;
    tvOut_ = input;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::configureUart(int speedIndex) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || speedIndex < 0 || speedIndex >= uartSpeeds)
        return dvrXecapDriver::failed;
    uartSpeed_ = speedIndex;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::writeUart(const std::uint8_t* bytes, int length) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || uartSpeed_ < 0 || !bytes || length < 0)
        return dvrXecapDriver::failed;
    if (uartTimesOut_)
        return dvrXecapDriver::timedOut;
    uartBytes_.insert(uartBytes_.end(), bytes, bytes + length);
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::escapeUart() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    uartSpeed_ = -1;
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::writeOsd(int layer, int position, const std::uint8_t* codes, int length) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_ || layer < 0 || layer >= dvrXecapDriver::osdLayers || position < 0 || length < 0 || !codes ||
        position + length > osdCharacters)
        return dvrXecapDriver::failed;
    std::copy(codes, codes + length, osd_[static_cast<std::size_t>(layer)].begin() + position);
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::enableWatchdog(int seconds) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    watchdogCalls_.push_back("enable " + std::to_string(seconds));
    return dvrXecapDriver::success;
}

int dvrXecapSimulatedCard::disableWatchdog() {
    std::lock_guard<std::mutex> guard(lock_);
    if (!open_)
        return dvrXecapDriver::failed;
    watchdogCalls_.push_back("disable");
    return dvrXecapDriver::success;
}

void dvrXecapSimulatedCard::setMotion(int input, bool moving) {
    std::lock_guard<std::mutex> guard(lock_);
    if (validInput(input))
        inputs_[input].moving = moving;
}

void dvrXecapSimulatedCard::setMotionInputs(std::uint32_t inputs) {
    std::lock_guard<std::mutex> guard(lock_);
    for (int input = 0; input < dvrXecapDriver::maximumInputs; ++input)
        inputs_[input].moving = (inputs >> input) & 1u;
}

bool dvrXecapSimulatedCard::isMoving(int input) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) && inputs_[input].moving;
}

void dvrXecapSimulatedCard::setSignalLost(int input, bool lost) {
    std::lock_guard<std::mutex> guard(lock_);
    if (validInput(input))
        inputs_[input].signalLost = lost;
}

void dvrXecapSimulatedCard::setContactClosed(int contact, bool closed) {
    std::lock_guard<std::mutex> guard(lock_);
    if (contact < 0 || contact >= dvrXecapDriver::maximumInputs)
        return;
    std::uint32_t bit = 1u << contact;
    digitalInputs_ = closed ? (digitalInputs_ & ~bit) : (digitalInputs_ | bit);
}

void dvrXecapSimulatedCard::setUartTimesOut(bool timesOut) {
    std::lock_guard<std::mutex> guard(lock_);
    uartTimesOut_ = timesOut;
}

std::vector<dvrXecapSimulatedCard::Delivery> dvrXecapSimulatedCard::takeFrame() {
    std::vector<Delivery> deliveries;
    if (!open_)
        return deliveries;
    int frames = videoFormat_ == 1 ? ntscFrames : palFrames;
    std::size_t frame = static_cast<std::size_t>(frameCount_ % static_cast<std::uint64_t>(frames));
    ++frameCount_;
    for (const auto& table : slots_) {
        if (frame >= table.size())
            continue;
        int input = table[frame];
        if (input == emptySlot || input < 0 || input >= channelCount_)
            continue;
        Input& state = inputs_[input];
        if (!state.transfer || state.signalLost)
            continue;
        deliveries.push_back({input, state.resolution, state.moving, state.delivered + 1});
    }
    return deliveries;
}

void dvrXecapSimulatedCard::deliver(const std::vector<Delivery>& deliveries, const std::string& clock) {
    bool pal = true;
    {
        std::lock_guard<std::mutex> guard(lock_);
        pal = videoFormat_ != 1;
    }
    // Pictures are drawn without the lock, so waiting boards are not held up by the drawing.
    std::vector<std::shared_ptr<dvrXecapPicture>> pictures;
    for (const Delivery& delivery : deliveries) {
        auto picture = std::make_shared<dvrXecapPicture>();
        dvrXecapResolutions::Size size = dvrXecapResolutions::size(delivery.resolution, pal);
        picture->width = size.width;
        picture->height = size.height;
        picture->sequence = delivery.sequence;
        dvrXecapPictureRenderer::render(
            {size.width, size.height, delivery.input, delivery.moving, delivery.sequence, clock},
            picture->bytes);
        pictures.push_back(std::move(picture));
    }
    std::lock_guard<std::mutex> guard(lock_);
    for (std::size_t i = 0; i < deliveries.size(); ++i) {
        Input& state = inputs_[deliveries[i].input];
        if (pictures[i]->sequence <= state.delivered)
            continue;
        state.delivered = pictures[i]->sequence;
        state.newest = std::move(pictures[i]);
    }
    pictureArrived_.notify_all();
}

void dvrXecapSimulatedCard::advanceFrames(int frames) {
    for (int i = 0; i < frames; ++i) {
        std::vector<Delivery> deliveries;
        std::string clock;
        {
            std::lock_guard<std::mutex> guard(lock_);
            deliveries = takeFrame();
            std::uint64_t perSecond = videoFormat_ == 1 ? ntscFrames : palFrames;
            clock = elapsedClock(frameCount_ / perSecond);
        }
        deliver(deliveries, clock);
    }
}

void dvrXecapSimulatedCard::startThread() {
    stopThread();
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = false;
    }
    paceThread_ = std::thread([this] { runFrames(); });
}

void dvrXecapSimulatedCard::stopThread() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    paceWake_.notify_all();
    if (paceThread_.joinable())
        paceThread_.join();
}

void dvrXecapSimulatedCard::runFrames() {
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> guard(lock_);
    while (!stopping_) {
        int frames = videoFormat_ == 1 ? ntscFrames : palFrames;
        next += std::chrono::microseconds(1000000 / frames);
        if (paceWake_.wait_until(guard, next, [this] { return stopping_; }))
            break;
        // A late frame is dropped rather than delivered in a burst.
        auto now = std::chrono::steady_clock::now();
        if (now - next > std::chrono::seconds(1))
            next = now;
        std::vector<Delivery> deliveries = takeFrame();
        guard.unlock();
        deliver(deliveries, clockText(std::time(nullptr)));
        guard.lock();
    }
}

bool dvrXecapSimulatedCard::isOpen() const {
    std::lock_guard<std::mutex> guard(lock_);
    return open_;
}

int dvrXecapSimulatedCard::openMode() const {
    std::lock_guard<std::mutex> guard(lock_);
    return mode_;
}

int dvrXecapSimulatedCard::videoFormat() const {
    std::lock_guard<std::mutex> guard(lock_);
    return videoFormat_;
}

bool dvrXecapSimulatedCard::isTransferOn(int input) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) && inputs_[input].transfer;
}

int dvrXecapSimulatedCard::transferResolution(int input) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) ? inputs_[input].resolution : 0;
}

std::uint64_t dvrXecapSimulatedCard::picturesDelivered(int input) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) ? inputs_[input].delivered : 0;
}

std::uint64_t dvrXecapSimulatedCard::lastPictureTaken(int input) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) ? inputs_[input].handedOut : 0;
}

std::vector<int> dvrXecapSimulatedCard::slotTable(int group) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (group < 0 || group >= static_cast<int>(slots_.size()))
        return {};
    return slots_[static_cast<std::size_t>(group)];
}

std::uint32_t dvrXecapSimulatedCard::digitalOutputs() const {
    std::lock_guard<std::mutex> guard(lock_);
    return digitalOutputs_;
}

int dvrXecapSimulatedCard::tvOutInput() const {
    std::lock_guard<std::mutex> guard(lock_);
    return tvOut_;
}

int dvrXecapSimulatedCard::uartSpeedIndex() const {
    std::lock_guard<std::mutex> guard(lock_);
    return uartSpeed_;
}

bool dvrXecapSimulatedCard::isUartConfigured() const {
    std::lock_guard<std::mutex> guard(lock_);
    return uartSpeed_ >= 0;
}

std::vector<std::uint8_t> dvrXecapSimulatedCard::uartBytes() const {
    std::lock_guard<std::mutex> guard(lock_);
    return uartBytes_;
}

std::string dvrXecapSimulatedCard::osdText(int layer) const {
    std::lock_guard<std::mutex> guard(lock_);
    if (layer < 0 || layer >= dvrXecapDriver::osdLayers)
        return {};
    std::string text;
    for (std::uint8_t code : osd_[static_cast<std::size_t>(layer)])
        text += dvrXecapCharacterTable::character(code);
    return text;
}

std::vector<std::string> dvrXecapSimulatedCard::watchdogCalls() const {
    std::lock_guard<std::mutex> guard(lock_);
    return watchdogCalls_;
}

int dvrXecapSimulatedCard::pictureControl(int input, dvrXecapDriver::Control control) const {
    std::lock_guard<std::mutex> guard(lock_);
    return validInput(input) ? inputs_[input].controls[static_cast<std::size_t>(control)] : 0;
}
