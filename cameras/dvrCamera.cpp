#include "dvrCamera.h"

#include "console/dvrConsole.h"
#include "dvrBoard.h"
#include "settings/dvrSettingSet.h"

dvrCamera::dvrCamera(dvrBoard* board) : board_(board), boardId_(board ? board->getId() : -1) {
    dvrSettingSet* settings = getSettings();
    settings->setScope("camera");
    settings->addSetting("framerate", "Frame rate", dvrSettingKind::spin, 0x10, 1, 30);
    settings->addSetting("restartnow", "", dvrSettingKind::hidden, 0x90);
    settings->addSetting("noclosewindow", "", dvrSettingKind::hidden, 0x90);
    settings->addSetting("group", "Access group", dvrSettingKind::spin, 0x10, 0, 4);
}

dvrCamera::~dvrCamera() {
    detachObject();
    if (getSettings()->getInt("noclosewindow") == 0)
        if (dvrConsole* console = dvrConsole::instance())
            console->run("closewindow camera " + getName());
    stop();
    if (board_ && input_ >= 0)
        board_->releaseInput(input_);
}

bool dvrCamera::attach(int input) {
    if (!board_ || !board_->reserveInput(input))
        return false;
    input_ = input;
    return true;
}

bool dvrCamera::init() {
    bool wasStarted = started_;
    stop();
    rebuild();
    if (!board_)
        return false;
    if (wasStarted)
        start();
    return true;
}

int dvrCamera::start() {
    stop();
    if (board_ && board_->isStarted())
        board_->startInput(input_);
    prepareStart();
    started_ = true;
    return 1;
}

int dvrCamera::stop() {
    if (started_ && board_)
        board_->stopInput(input_);
    started_ = false;
    return 1;
}

bool dvrCamera::domeCommand(const dvrCommand&) { return true; }
