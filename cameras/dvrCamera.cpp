#include "dvrCamera.h"

#include "capture/dvrCameraThread.h"

#include <algorithm>
#include <chrono>

#include "capture/dvrCameraThread.h"
#include "console/dvrCommand.h"
#include "console/dvrConsole.h"
#include "dvrBoard.h"
#include "dvrCameraSettings.h"
#include "codec/dvrCodec.h"
#include "dvrCodecCode.h"
#include "image/dvrImage.h"
#include "log/dvrLog.h"
#include "language/dvrTranslation.h"
#include "object/dvrEvents.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

constexpr int palCeiling = 25;
constexpr int ntscCeiling = 30;
constexpr int palLines = 576;
constexpr int ntscLines = 480;
constexpr int standardWidth = 704;
constexpr int lowestQuality = 10;
constexpr int highestQuality = 100;

int standardOf(const dvrBoard* board) {
    if (!board)
        return 1;
    return board->getSettings()->getInt("videostd") == 0 ? 0 : 1;
}

bool is(std::string_view key, std::string_view word) {
    return dvrText::equalsIgnoringCase(key, word);
}

// Slider and spin values stay inside the range their entry declares.
int bounded(const dvrSettingSet& settings, std::string_view key, int value) {
    int index = settings.find(key);
    if (index < 0)
        return value;
    dvrSetting entry = settings.entry(index);
    if (entry.kind != dvrSettingKind::slider && entry.kind != dvrSettingKind::spin)
        return value;
    return std::clamp(value, entry.low, entry.high);
}

// Keys whose value is a number, whatever type word a line gives them.
bool isNumeric(const dvrSettingSet& settings, std::string_view key) {
    int index = settings.find(key);
    if (index < 0)
        return is(key, "quality");
    dvrSetting entry = settings.entry(index);
    return (entry.flags & dvrSettingFlag::savedAsInt) != 0 &&
           (entry.flags & dvrSettingFlag::savedAsText) == 0;
}

} // namespace

dvrCamera::dvrCamera(dvrBoard* board)
    : board_(board), boardId_(board ? board->getId() : -1), videoStandard_(standardOf(board)) {
    dvrSettingSet* settings = getSettings();
    settings->setScope("camera");
    settings->setObjectName("temporary");
    dvrCameraSettings::declare(*settings, framerateCeiling());
    defaultWidth_ = standardWidth;
    defaultHeight_ = videoStandard_ == 1 ? palLines : ntscLines;
    // The camera hears of its board's destruction and lets go of it then.
    if (board)
        board->addObserver(this, dvrEvent::destroyed);
    notify(constructedEvent);
}

dvrCamera::~dvrCamera() {
    detachObject();
    if (getSettings()->getInt("noclosewindow") == 0)
        if (dvrConsole* console = dvrConsole::instance())
            console->run("closewindow camera " + dvrText::singleLine(getName()));
    stop();
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (board && input >= 0)
        board->releaseInput(input);
}

int dvrCamera::framerateCeiling() const {
    return videoStandard_ == 0 ? ntscCeiling : palCeiling;
}

int dvrCamera::getMaxFramerate() const {
    return framerateCeiling();
}

float dvrCamera::getFrameAspect() const {
    return static_cast<float>(standardWidth) / static_cast<float>(videoStandard_ == 0 ? ntscLines : palLines);
}

bool dvrCamera::attach(int input) {
    dvrBoard* board = board_.load();
    if (!board || input_ >= 0 || !board->reserveInput(input))
        return false;
    input_ = input;
    return true;
}

bool dvrCamera::setResolution(int index) {
    // Without a table the only index is 0, the camera's default size.
    if (index < 0 || index >= std::max(1, resolutions_.count()))
        return false;
    dvrSettingSet* settings = getSettings();
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (!board || input < 0) {
        settings->setInt("resolution", index);
        return true;
    }
    int granted = board->setInputResolution(input, index);
    if (granted < 0 || granted >= std::max(1, resolutions_.count()))
        return false;
    settings->setInt("resolution", granted);
    return granted == index;
}

bool dvrCamera::setFormat(int format) {
    if (!supportsFormat(format))
        return false;
    getSettings()->setInt("format", format);
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (board && input >= 0)
        return board->setInputFormat(input, format);
    return true;
}

int dvrCamera::setFramerate(int framesPerSecond) {
    int lowest = getMinFramerate();
    int highest = std::max(lowest, getMaxFramerate());
    int granted = std::clamp(framesPerSecond, lowest, highest);
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (board && input >= 0)
        granted = std::clamp(board->setInputFramerate(input, granted), lowest, highest);
    dvrSettingSet* settings = getSettings();
    settings->setInt("framerate", granted);
    // Recording never asks for more frames than the capture gives.
    if (settings->getInt("framerate_c") > granted)
        settings->setInt("framerate_c", granted);
    return granted;
}

bool dvrCamera::pictureControl(const char* key, int value, bool (dvrBoard::*operation)(int, int)) {
    value = std::clamp(value, 0, 255);
    getSettings()->setInt(key, value);
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (!board || input < 0)
        return true;
    return (board->*operation)(input, value);
}

bool dvrCamera::setBrightness(int value) {
    return pictureControl("brightness", value, &dvrBoard::setBrightness);
}
bool dvrCamera::setContrast(int value) {
    return pictureControl("contrast", value, &dvrBoard::setContrast);
}
bool dvrCamera::setSharpness(int value) {
    return pictureControl("sharpness", value, &dvrBoard::setSharpness);
}
bool dvrCamera::setColor(int value) {
    return pictureControl("color", value, &dvrBoard::setColor);
}
bool dvrCamera::setHue(int value) {
    return pictureControl("hue", value, &dvrBoard::setHue);
}

int dvrCamera::start() {
    stop();
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (board && input >= 0 && board->isStarted())
        inputStarted_ = board->startInput(input);
    prepareStart();
    startCaptureThread();
    started_ = true;
    return 1;
}

int dvrCamera::stop() {
    stopCaptureThread();
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (inputStarted_.exchange(false) && board && input >= 0)
        board->stopInput(input);
    started_ = false;
    return 1;
}

bool dvrCamera::init() {
    reinitialising_ = true;
    bool wasStarted = started_;
    // The capture thread ends before any camera lock is taken: it takes them itself.
    stop();
    {
        std::lock_guard<std::recursive_mutex> codecGuard(codecLock_);
        std::lock_guard<std::recursive_mutex> imageGuard(imageLock_);
        releaseImage();
        releaseCodec();
    }
    bool client = getSettings()->getInt("client") != 0;
    // The board may talk to its hardware, so no camera lock is held meanwhile; nothing captures.
    applyInputSettings(client);
    bool rebuilt = rebuildImageAndCodec(client);
    reinitialising_ = false;
    if (!board_.load())
        return false;
    if (wasStarted)
        start();
    return rebuilt;
}

void dvrCamera::applyInputSettings(bool client) {
    dvrSettingSet* settings = getSettings();
    if (!client) {
        setResolution(settings->getInt("resolution"));
        setFormat(settings->getInt("format"));
        setFramerate(settings->getInt("framerate"));
    }
    dvrBoard* board = board_.load();
    int input = input_.load();
    if (!board || input < 0)
        return;
    board->setInputFormat(input, settings->getInt("format"));
    board->setInputFramerate(input, settings->getInt("framerate"));
    board->setBrightness(input, settings->getInt("brightness"));
    board->setContrast(input, settings->getInt("contrast"));
    board->setSharpness(input, settings->getInt("sharpness"));
    board->setColor(input, settings->getInt("color"));
    // Only a kind that declares "hue" has one to give; the board keeps its own otherwise.
    if (settings->find("hue") >= 0)
        board->setHue(input, settings->getInt("hue"));
}

bool dvrCamera::rebuildImageAndCodec(bool client) {
    dvrSettingSet* settings = getSettings();
    int width = defaultWidth_;
    int height = defaultHeight_;
    if (!client && settings->getInt("force_size") == 0) {
        if (auto size = resolutions_.at(settings->getInt("resolution"))) {
            width = size->width;
            height = size->height;
        }
    }
    std::lock_guard<std::recursive_mutex> codecGuard(codecLock_);
    bool imageMade = false;
    {
        std::lock_guard<std::recursive_mutex> imageGuard(imageLock_);
        imageMade = createImage(width, height, settings->getInt("format"));
    }
    bool codecMade = setCodec(dvrCodecCode::fromSetting(settings->getInt("codec")),
                              client ? remoteCodecMode : localCodecMode, -1);
    setCodecQuality(std::clamp(settings->getInt("compress"), lowestQuality, highestQuality));
    return imageMade && codecMade;
}

void dvrCamera::startCaptureThread() {
    // A fresh thread each time: frame numbers and counts start again.
    captureThread_.reset();
    captureThread_ = std::make_unique<dvrCameraThread>(*this);
    captureThread_->start();
}

bool dvrCamera::isCapturing() const { return captureThread_ && captureThread_->isRunning(); }

void dvrCamera::stopCaptureThread() {
    if (captureThread_)
        captureThread_->stop();
}

bool dvrCamera::waitForFrame(int timeoutMilliseconds) {
    dvrBoard* board = board_.load();
    return board && board->waitForFrame(input_, timeoutMilliseconds);
}

bool dvrCamera::grab() {
    std::lock_guard<std::recursive_mutex> guard(imageLock_);
    dvrImage* image = captureImage();
    dvrBoard* board = board_.load();
    if (image && board && !board->grabFrame(input_, image->frameBuffer()))
        return false;
    takeCaptureTime();
    return true;
}

int dvrCamera::detectMotion() {
    std::lock_guard<std::recursive_mutex> guard(imageLock_);
    dvrImage* image = captureImage();
    if (!image)
        return 0;
    dvrMotionParameters::Values motion = motionParameters();
    int amount = image->detect(2, motion.sensitivityA, motion.sensitivityB, motion.noiseFilter, motion.tolerance);
    // "Light change filter" compares with the previous frame; "Normal" keeps its reference until
    // motion is found.
    if (getSettings()->getInt("md_type") != 0 || amount > 0)
        image->refreshReference();
    return amount;
}

void dvrCamera::takeCaptureTime() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    captureMilliseconds_ = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

dvrCamera::CaptureTime dvrCamera::getCaptureTime() const {
    std::int64_t milliseconds = captureMilliseconds_.load();
    return {milliseconds / 1000, static_cast<int>(milliseconds % 1000)};
}

bool dvrCamera::setCodec(const std::string& code, int mode, int keyframeInterval) {
    if (!dvrCodecCode::isValid(code) || (mode != localCodecMode && mode != remoteCodecMode))
        return false;
    std::lock_guard<std::recursive_mutex> guard(codecLock_);
    {
        std::lock_guard<std::mutex> identityGuard(codecIdentityLock_);
        codecCode_ = code;
        codecMode_ = mode;
    }
    releaseCodec();
    return createCodec(code, mode, keyframeInterval);
}

bool dvrCamera::resetCodec() {
    return setCodec(getCodecCode(), getCodecMode(), -1);
}

std::string dvrCamera::getCodecCode() const {
    std::lock_guard<std::mutex> guard(codecIdentityLock_);
    return codecCode_;
}

int dvrCamera::getCodecMode() const {
    std::lock_guard<std::mutex> guard(codecIdentityLock_);
    return codecMode_;
}

void dvrCamera::releaseImage() { image_.reset(); }

bool dvrCamera::createImage(int width, int height, int format) {
    image_ = std::make_unique<dvrImage>(width, height, format, 1);
    dvrSettingSet* settings = getSettings();
    for (int part = 0; part < dvrImage::maskParts; ++part)
        image_->loadMaskRows(part, settings->getText("mask" + std::to_string(part)));
    return true;
}

void dvrCamera::releaseCodec() { codec_.reset(); }

bool dvrCamera::createCodec(const std::string& code, int mode, int keyframeInterval) {
    std::lock_guard<std::recursive_mutex> imageGuard(imageLock_);
    dvrImage* image = captureImage();
    if (!image)
        return false;
    // "NULL" and codes without a kind record uncompressed: no codec, and that is no failure.
    codec_ = dvrCodec::create(code, image, mode == remoteCodecMode ? dvrCodec::modeDecoder : dvrCodec::modeEncoder,
                              keyframeInterval);
    if (!codec_)
        return true;
    dvrSettingSet* settings = getSettings();
    codec_->setQuality(std::clamp(settings->getInt("compress"), lowestQuality, highestQuality));
    codec_->setFrameRate(std::clamp(settings->getInt("framerate"), 1, 30));
    if (!codec_->open()) {
        logWarning("%s", dvrTranslation::translate("Couldn't init the image compressor").c_str());
        codec_.reset();
        return false;
    }
    return true;
}

void dvrCamera::setCodecQuality(int quality) {
    if (codec_)
        codec_->setQuality(quality);
}

bool dvrCamera::domeCommand(const dvrCommand&) {
    return true;
}

bool dvrCamera::isShownStatus(int status) {
    return status == imagesArriving || status == waitingForImage || status == connecting ||
           status == noConnection;
}

void dvrCamera::setMotionRecording(bool on) {
    if (motionRecording_.exchange(on) != on)
        notify(motionRecordingEvent);
}

void dvrCamera::windowClosed() {
    int count = openWindows_.load();
    while (count > 0 && !openWindows_.compare_exchange_weak(count, count - 1)) {
    }
}

bool dvrCamera::supportsFormat(int format) const {
    std::lock_guard<std::mutex> guard(kindTablesLock_);
    return std::find(supportedFormats_.begin(), supportedFormats_.end(), format) != supportedFormats_.end();
}

bool dvrCamera::addResolution(int width, int height, std::string_view label) {
    if (!resolutions_.add(width, height))
        return false;
    std::lock_guard<std::mutex> guard(kindTablesLock_);
    resolutionLabels_.push_back(dvrText::cut(label, dvrSetting::maximumChoiceTextLength));
    return true;
}

void dvrCamera::declareResolutionSetting() {
    dvrSettingSet* settings = getSettings();
    settings->addSetting("resolution", dvrTranslation::translate("Resolution"), dvrSettingKind::choice, 0x14);
    std::lock_guard<std::mutex> guard(kindTablesLock_);
    for (std::size_t index = 0; index < resolutionLabels_.size(); ++index)
        settings->addChoice(resolutionLabels_[index], static_cast<int>(index));
    settings->setInt("resolution", 0);
}

bool dvrCamera::addSupportedFormat(int format) {
    std::lock_guard<std::mutex> guard(kindTablesLock_);
    if (static_cast<int>(supportedFormats_.size()) >= maximumSupportedFormats)
        return false;
    if (std::find(supportedFormats_.begin(), supportedFormats_.end(), format) == supportedFormats_.end())
        supportedFormats_.push_back(format);
    return true;
}

void dvrCamera::declareFormatSetting() {
    dvrSettingSet* settings = getSettings();
    settings->addSetting("format", dvrTranslation::translate("Format"), dvrSettingKind::hidden, 0x10);
    // The default is format 2 (what 0 stands for), or the kind's first format without it.
    int format = 0;
    {
        std::lock_guard<std::mutex> guard(kindTablesLock_);
        if (std::find(supportedFormats_.begin(), supportedFormats_.end(), 2) != supportedFormats_.end())
            format = 2;
        else if (!supportedFormats_.empty())
            format = supportedFormats_.front();
    }
    settings->setInt("format", format);
}

void dvrCamera::setDefaultSize(int width, int height) {
    if (width < 1 || width > dvrResolutionTable::maximumSide || height < 1 ||
        height > dvrResolutionTable::maximumSide)
        return;
    defaultWidth_ = width;
    defaultHeight_ = height;
}

void dvrCamera::reinitialiseIfStarted() {
    if (!started_)
        return;
    if (getSettings()->getInt("needrestart") != 0) {
        // Kinds that share one capture with other cameras restart all of it.
        if (dvrConsole* console = dvrConsole::instance()) {
            console->run("stop");
            console->run("start");
        }
        return;
    }
    stop();
    init();
    start();
}

int dvrCamera::applySet(const dvrCommand& command) {
    const std::string& key = command.argument(2);
    const std::string& type = command.argument(3);
    dvrSettingSet* settings = getSettings();
    bool knownType = is(type, "int") || is(type, "string") || is(type, "float");
    // A "get" line, or one with a type word nobody writes, changes nothing.
    if (command.argumentCount() < 5 || !knownType)
        return 1;
    // A number keeps its checks whatever type word the line gives it.
    if (is(type, "int") || isNumeric(*settings, key))
        return applyInt(key, dvrText::toInt(command.argument(4))) ? 1 : 0;
    dvrObject::applySet(command);
    if (dvrText::equalsIgnoringCase(type, "string") && is(key, "domecom")) {
        std::lock_guard<std::recursive_mutex> guard(domeLock_);
        rebuildDome();
    }
    return 1;
}

bool dvrCamera::applyInt(const std::string& key, int value) {
    dvrSettingSet* settings = getSettings();
    value = bounded(*settings, key, value);
    if (is(key, "framerate")) {
        setFramerate(value);
        return true;
    }
    if (is(key, "framerate_c")) {
        settings->setInt(key, std::min(value, settings->getInt("framerate")));
        return true;
    }
    if (is(key, "format")) {
        // 0 is what old configurations wrote for the default format.
        if (value == 0)
            value = 2;
        if (!supportsFormat(value))
            return false;
        settings->setInt(key, value);
        reinitialiseIfStarted();
        return true;
    }
    if (is(key, "resolution")) {
        if (value < 0 || value >= std::max(1, resolutions_.count()))
            return false;
        settings->setInt(key, value);
        reinitialiseIfStarted();
        return true;
    }
    if (is(key, "brightness"))
        return setBrightness(value);
    if (is(key, "contrast"))
        return setContrast(value);
    if (is(key, "sharpness"))
        return setSharpness(value);
    if (is(key, "color"))
        return setColor(value);
    if (is(key, "hue"))
        return setHue(value);
    if (is(key, "domeaddr") && (value < 0 || value > 64))
        return false;
    if (is(key, "dometype") && value != 0 && value != 1 && value != 2 && value != 99)
        return false;

    settings->setInt(key, value);
    if (motion_.set(key, value))
        return true;
    if (is(key, "codec")) {
        reinitialiseIfStarted();
    } else if (is(key, "compress") || is(key, "quality")) {
        std::lock_guard<std::recursive_mutex> guard(codecLock_);
        setCodecQuality(std::clamp(value, lowestQuality, highestQuality));
    } else if (is(key, "domeaddr") || is(key, "dometype")) {
        std::lock_guard<std::recursive_mutex> guard(domeLock_);
        rebuildDome();
    }
    return true;
}

void dvrCamera::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    dvrObject::onNotify(notifier, events);
    dvrBoard* board = board_.load();
    if (board && notifier == static_cast<dvrNotifier*>(board) && (events & dvrEvent::destroyed))
        forgetBoard();
}

void dvrCamera::forgetBoard() {
    // The board is being destroyed: nothing may call it any more, not even to stop the input.
    stopCaptureThread();
    std::lock_guard<std::recursive_mutex> codecGuard(codecLock_);
    std::lock_guard<std::recursive_mutex> imageGuard(imageLock_);
    board_ = nullptr;
    input_ = -1;
    inputStarted_ = false;
    started_ = false;
}
