#include "network/dvrCamera_network.h"

#include <algorithm>
#include <cstring>

#include "console/dvrCommand.h"
#include "image/dvrImage.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "network/dvrNetworkCameraModels.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {

std::string translated(const char* text) { return dvrTranslation::translate(text); }

void text(dvrSettingSet& s, const char* key, const char* label, const char* help, std::uint32_t flags) {
    s.addSetting(key, translated(label), translated(help), dvrSettingKind::text, flags);
}

std::string trimmed(std::string_view value) {
    std::size_t first = value.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return std::string();
    std::size_t last = value.find_last_not_of(" \t");
    return std::string(value.substr(first, last - first + 1));
}

} // namespace

dvrCamera_network::dvrCamera_network(dvrBoard* board) : dvrCamera(board) {
    addResolution(320, 240, translated("Low"));
    addResolution(640, 480, translated("High"));
    declareResolutionSetting();
    addSupportedFormat(dvrImage::formatRGB24);
    declareFormatSetting();

    dvrSettingSet* s = getSettings();
    s->setInt("framerate", 1);
    for (const char* key : {"brightness", "contrast", "sharpness", "color"})
        s->setInt(key, pictureDefault);
    s->setInt("compress", defaultQuality);

    s->addSetting("", translated("Network camera settings"), dvrSettingKind::heading, 0);
    s->addSetting("ctype", translated("Camera type"),
                  translated("If your exact model is not found, try first the generic support for the camera brand. "
                             "If it doesn't work, you'll have to use the Generic URL method."),
                  dvrSettingKind::choice, 0x14);
    for (const dvrNetworkCameraModels::Model& model : dvrNetworkCameraModels::all())
        s->addChoice(translated(model.label), model.value);
    s->setInt("ctype", 0);
    text(*s, "host", "Address", "IP address or host of the network camera, or the full URL if using generic URL", 0x20);
    text(*s, "port", "Port (if not 80)", "Port (usually 80 or 8080) of the cameras http server", 0x20);
    text(*s, "username", "Username", "Username to log on to the camera with", 0x20);
    text(*s, "password", "Password", "Password to log on to the camera with", 0x20);
    s->addSetting("channel", translated("Channel"), translated("Channel (usually 1)"), dvrSettingKind::choice, 0x14);
    for (int channel = 1; channel <= maximumChannel; ++channel)
        s->addChoice(std::to_string(channel), channel);
    s->setInt("channel", 1);
    s->addSetting("enable", translated("Enable"), translated("Enable the camera"), dvrSettingKind::checkBox, 0x10);
    s->setInt("enable", 0);
    s->addSetting("quality", translated("Quality"), translated("Image compression quality. 1 = worst, 100 = best"),
                  dvrSettingKind::slider, 0x10, 1, 100);
    s->setInt("quality", defaultQuality);
    text(*s, "path", "Image path", "The full image path", 0x8A8);
    s->addSetting("unique_id", "", dvrSettingKind::hidden, 0x10);
    s->setInt("unique_id", -1);
    // A fetch may take its whole time-out: the software watchdog does not watch this thread.
    s->addSetting("wd_override", "", dvrSettingKind::hidden, 0x10);
    s->setInt("wd_override", -1);
}

dvrCamera_network::~dvrCamera_network() {
    detachObject();
    // The capture thread calls this kind's frame wait and grab, so it ends before the kind goes.
    stop();
}

dvrBoard_http* dvrCamera_network::httpBoard() const { return dynamic_cast<dvrBoard_http*>(getBoard()); }

void dvrCamera_network::setFetchTimeouts(std::chrono::milliseconds connect, std::chrono::milliseconds total) {
    session_.http.setTimeouts(connect, total);
}

dvrNetworkCameraUrl::Settings dvrCamera_network::urlSettings() const {
    const dvrSettingSet* s = getSettings();
    dvrNetworkCameraUrl::Settings url;
    url.model = s->getInt("ctype");
    url.host = trimmed(s->getText("host"));
    url.port = trimmed(s->getText("port"));
    url.username = s->getText("username");
    url.password = s->getText("password");
    url.channel = std::clamp(s->getInt("channel"), 1, maximumChannel);
    url.quality = std::clamp(s->getInt("quality"), 1, 100);
    url.resolution = s->getInt("resolution") == 0 ? lowResolution : highResolution;
    return url;
}

void dvrCamera_network::prepareStart() {
    failing_ = false;
    sizeMismatch_ = false;
    setStatus(connecting);
}

bool dvrCamera_network::waitAfterFailure() {
    if (!failing_ && !sizeMismatch_)
        return true;
    int framerate = std::max(1, getSettings()->getInt("framerate"));
    auto next = lastAttempt_ + std::chrono::milliseconds(1000 / framerate);
    std::unique_lock<std::mutex> guard(pauseLock_);
    pauseWake_.wait_until(guard, next, [this] { return stopping_; });
    return !stopping_;
}

void dvrCamera_network::countFailure(const char* reason, const std::string& shownUrl) {
    ++failedGrabs_;
    setStatus(noConnection);
    // One message per outage, not one per frame.
    if (!failing_)
        logWarning("[CAMERA] Network camera %s: %s (%s)\n", getName().c_str(), translated(reason).c_str(),
                   shownUrl.c_str());
    failing_ = true;
}

bool dvrCamera_network::waitForFrame(int) {
    dvrSettingSet* s = getSettings();
    dvrBoard_http* board = httpBoard();
    dvrNetworkCameraUrl::Settings settings = urlSettings();
    if (!board || s->getInt("enable") == 0 || settings.host.empty())
        return false;
    if (!waitAfterFailure())
        return false;
    lastAttempt_ = std::chrono::steady_clock::now();

    dvrNetworkCameraUrl::Target target = dvrNetworkCameraUrl::build(settings);
    if (!target.usable) {
        // The address may be a URL with a password in it: it is not logged.
        countFailure("unusable camera type or address", "ctype " + std::to_string(settings.model));
        return false;
    }
    if (target.shownUrl != shownUrl_) {
        shownUrl_ = target.shownUrl;
        s->setText("path", shownUrl_);
    }

    dvrBoard_http::FetchResult result =
        board->fetchPicture(session_, {target.url, target.username, target.password}, fetched_);
    if (result == dvrBoard_http::FetchResult::stopped)
        return false;
    if (result != dvrBoard_http::FetchResult::fetched) {
        countFailure(dvrBoard_http::describe(result), shownUrl_);
        return false;
    }
    if (failing_)
        logMessage("[CAMERA] Network camera %s: pictures arrive again.\n", getName().c_str());
    failing_ = false;
    setStatus(imagesArriving);
    // Until the restart has made the image fit, the camera is asked at its frame rate only.
    sizeMismatch_ = fetched_.width != imageWidth_ || fetched_.height != imageHeight_;
    if (sizeMismatch_) {
        requestRestartWithSize(fetched_.width, fetched_.height);
        return false;
    }
    std::lock_guard<std::mutex> guard(pictureLock_);
    std::swap(waiting_, fetched_);
    pictureWaiting_ = true;
    return true;
}

void dvrCamera_network::requestRestartWithSize(int width, int height) {
    dvrSettingSet* s = getSettings();
    // Until the refresh has restarted the camera, the request stands as it is.
    if (s->getInt("restartnow") != 0)
        return;
    logMessage("[CAMERA] Network camera %s sends %d x %d pictures; the camera restarts with that size.\n",
               getName().c_str(), width, height);
    setDefaultSize(width, height);
    s->setInt("force_size", 1);
    s->setInt("restartnow", 1);
    ++sizeRestarts_;
}

bool dvrCamera_network::grab() {
    std::lock_guard<std::recursive_mutex> imageGuard(imageLock());
    dvrImage* image = getImage();
    if (!image)
        return false;
    std::lock_guard<std::mutex> guard(pictureLock_);
    if (!pictureWaiting_)
        return false;
    // A picture is recorded once; a grab without a new one fails.
    pictureWaiting_ = false;
    if (waiting_.width != image->width() || waiting_.height != image->height() ||
        image->format() != dvrImage::formatRGB24 || waiting_.pixels.size() != image->frameSize())
        return false;
    std::memcpy(image->captureBuffer(), waiting_.pixels.data(), image->frameSize());
    takeCaptureTime();
    return true;
}

bool dvrCamera_network::createImage(int width, int height, int format) {
    bool made = dvrCamera::createImage(width, height, format);
    dvrImage* image = getImage();
    imageWidth_ = image ? image->width() : 0;
    imageHeight_ = image ? image->height() : 0;
    return made;
}

void dvrCamera_network::releaseImage() {
    imageWidth_ = 0;
    imageHeight_ = 0;
    dvrCamera::releaseImage();
}

void dvrCamera_network::stopCaptureThread() {
    session_.http.abort();
    {
        std::lock_guard<std::mutex> guard(pauseLock_);
        stopping_ = true;
    }
    pauseWake_.notify_all();
    dvrCamera::stopCaptureThread();
    session_.http.resume();
    std::lock_guard<std::mutex> guard(pauseLock_);
    stopping_ = false;
}

int dvrCamera_network::applySet(const dvrCommand& command) {
    // A resolution chosen by the user counts again, until the camera answers with another size.
    if (dvrText::equalsIgnoringCase(command.argument(2), "resolution") && command.argumentCount() >= 5)
        getSettings()->setInt("force_size", 0);
    return dvrCamera::applySet(command);
}
