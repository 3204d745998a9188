#include "dvrCamera_xecap.h"

#include "console/dvrCommand.h"
#include "image/dvrImage.h"
#include "language/dvrTranslatedMessage.h"
#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"
#include "xecap/dvrBoard_xecap.h"
#include "xecap/dvrXecapResolutions.h"

namespace {

const char* choiceLabel(int index, bool pal) {
    switch (index) {
    case 2:
        return pal ? "704 x 576 (4CIF)" : "704 x 480 (4CIF)";
    case 5:
        return pal ? "704 x 288 (2CIF)" : "704 x 240 (2CIF)";
    case 8:
        return pal ? "352 x 288 (CIF)" : "352 x 240 (CIF)";
    default:
        return nullptr;
    }
}

} // namespace

dvrCamera_xecap::dvrCamera_xecap(dvrBoard* board) : dvrCamera(board) {
    bool pal = getVideoStandard() == 1;
    // Index 0 stands for "no picture"; the table keeps its place with the smallest size.
    addResolution(1, 1, "");
    for (int index = 1; index < dvrXecapResolutions::count; ++index) {
        dvrXecapResolutions::Size size = dvrXecapResolutions::size(index, pal);
        const char* label = choiceLabel(index, pal);
        addResolution(size.width, size.height, label ? label : "");
    }
    dvrSettingSet* settings = getSettings();
    // Only the three sizes that keep the picture's proportions are offered.
    settings->addSetting("resolution", dvrTranslation::translate("Resolution"), dvrSettingKind::choice, 0x14);
    for (int index : {2, 5, 8})
        settings->addChoice(dvrTranslation::translate(choiceLabel(index, pal)), index);
    settings->setInt("resolution", defaultResolution);
    addSupportedFormat(dvrImage::formatUYVY);
    declareFormatSetting();

    settings->insertSetting(
        "framerate", "framesleft", dvrTranslation::translate("Frames left on XeCap"),
        dvrTranslation::translate(
            "This counter shows how many frames are still available for use in this camera group."),
        dvrSettingKind::text, 0xA8);
    settings->addSetting("noswitch", dvrTranslation::translate("No switching"), dvrSettingKind::checkBox,
                         0x10);
    settings->setInt("noswitch", 0);
    for (const char* key : {"brightness", "contrast", "sharpness", "color"})
        settings->setInt(key, pictureDefault);
}

dvrCamera_xecap::~dvrCamera_xecap() {
    detachObject();
    // The capture thread calls this kind's grab, so it ends before the kind goes.
    stop();
    if (dvrBoard_xecap* board = xecapBoard())
        board->detachCamera(getInput(), this);
}

dvrBoard_xecap* dvrCamera_xecap::xecapBoard() const {
    return dynamic_cast<dvrBoard_xecap*>(getBoard());
}

bool dvrCamera_xecap::attach(int input) {
    if (!dvrCamera::attach(input))
        return false;
    if (dvrBoard_xecap* board = xecapBoard()) {
        board->attachCamera(input, this);
        board->setNoSwitch(input, getSettings()->getInt("noswitch") != 0);
    }
    return true;
}

int dvrCamera_xecap::setFramerate(int framesPerSecond) {
    int granted = dvrCamera::setFramerate(framesPerSecond);
    // A change in one camera changes what is left for every camera of its group.
    if (dvrBoard_xecap* board = xecapBoard())
        board->publishFramesLeft();
    return granted;
}

void dvrCamera_xecap::prepareStart() {
    dvrSettingSet* settings = getSettings();
    setBrightness(settings->getInt("brightness"));
    setContrast(settings->getInt("contrast"));
    setSharpness(settings->getInt("sharpness"));
    setColor(settings->getInt("color"));
    setResolution(settings->getInt("resolution"));
}

bool dvrCamera_xecap::grab() {
    std::lock_guard<std::recursive_mutex> guard(imageLock());
    dvrImage* image = getImage();
    dvrBoard* board = getBoard();
    if (!image || !board || !board->grabFrame(getInput(), image->frameBuffer()))
        return false;
    takeCaptureTime();
    return true;
}

int dvrCamera_xecap::applySet(const dvrCommand& command) {
    int result = dvrCamera::applySet(command);
    if (dvrText::equalsIgnoringCase(command.argument(2), "noswitch"))
        if (dvrBoard_xecap* board = xecapBoard())
            board->setNoSwitch(getInput(), getSettings()->getInt("noswitch") != 0);
    return result;
}

void dvrCamera_xecap::showFramesLeft(int frames) {
    getSettings()->setText("framesleft",
                           dvrTranslatedMessage::compose("%d frames", "%d", {std::to_string(frames)}));
}
