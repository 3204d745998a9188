#include "dvrRecordingCamera.h"

dvrRecordingCamera::dvrRecordingCamera(dvrBoard* board) : dvrCamera(board) {
    addResolution(352, 288, "352x288");
    addResolution(704, 288, "704x288");
    addResolution(704, 576, "704x576");
    declareResolutionSetting();
    for (int format : {1, 2, 3})
        addSupportedFormat(format);
    declareFormatSetting();
}

dvrRecordingCamera::~dvrRecordingCamera() {
    detachObject();
}

bool dvrRecordingCamera::createImage(int width, int height, int format) {
    note("image " + std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(format));
    return true;
}

bool dvrRecordingCamera::createCodec(const std::string& code, int mode, int keyframeInterval) {
    note("codec " + code + " " + std::to_string(mode) + " " + std::to_string(keyframeInterval));
    return true;
}

void dvrRecordingCamera::setCodecQuality(int quality) {
    note("quality " + std::to_string(quality));
}

void dvrRecordingCamera::note(const std::string& call) {
    std::lock_guard<std::mutex> guard(lock_);
    journal_.push_back(call);
}

std::vector<std::string> dvrRecordingCamera::journal() const {
    std::lock_guard<std::mutex> guard(lock_);
    return journal_;
}

void dvrRecordingCamera::clearJournal() {
    std::lock_guard<std::mutex> guard(lock_);
    journal_.clear();
}
