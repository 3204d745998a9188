#include "dvrRecordingBoard.h"

#include <algorithm>

#include "settings/dvrSettingSet.h"

dvrRecordingBoard::dvrRecordingBoard(int videoStandard) {
    getSettings()->setInt("videostd", videoStandard);
}

void dvrRecordingBoard::note(const std::string& call, int input, int value) {
    std::string line = call + " " + std::to_string(input);
    if (value != -1)
        line += " " + std::to_string(value);
    std::lock_guard<std::mutex> guard(lock_);
    journal_.push_back(line);
}

int dvrRecordingBoard::setInputResolution(int input, int resolution) {
    note("resolution", input, resolution);
    return dvrBoard::setInputResolution(input, grantedResolution >= 0 ? grantedResolution : resolution);
}

bool dvrRecordingBoard::setInputFormat(int input, int format) {
    note("format", input, format);
    return dvrBoard::setInputFormat(input, format);
}

int dvrRecordingBoard::setInputFramerate(int input, int framesPerSecond) {
    note("framerate", input, framesPerSecond);
    int granted = framerateLimit > 0 ? std::min(framesPerSecond, framerateLimit) : framesPerSecond;
    return dvrBoard::setInputFramerate(input, granted);
}

bool dvrRecordingBoard::setBrightness(int input, int value) {
    note("brightness", input, value);
    return true;
}

bool dvrRecordingBoard::setContrast(int input, int value) {
    note("contrast", input, value);
    return true;
}

bool dvrRecordingBoard::setSharpness(int input, int value) {
    note("sharpness", input, value);
    return true;
}

bool dvrRecordingBoard::setColor(int input, int value) {
    note("color", input, value);
    return true;
}

bool dvrRecordingBoard::setHue(int input, int value) {
    note("hue", input, value);
    return true;
}

bool dvrRecordingBoard::startInput(int input) {
    note("startInput", input);
    return true;
}

bool dvrRecordingBoard::stopInput(int input) {
    note("stopInput", input);
    return true;
}

std::vector<std::string> dvrRecordingBoard::journal() const {
    std::lock_guard<std::mutex> guard(lock_);
    return journal_;
}

void dvrRecordingBoard::clearJournal() {
    std::lock_guard<std::mutex> guard(lock_);
    journal_.clear();
}
