#pragma once

#include <string>

#include "dvrCamera.h"
#include "xecap/dvrXecapInputCamera.h"

class dvrBoard_xecap;

// A camera on one input of the analog capture board: the card's resolution table (offered:
// 4CIF, 2CIF and CIF), UYVY pictures, a "noswitch" mark for the monitor output and a read-only
// "framesleft" counter of the frames still free in its chip group.
class dvrCamera_xecap : public dvrCamera, public dvrXecapInputCamera {
public:
    static constexpr int cameraType = 2;
    static constexpr int defaultResolution = 8;
    static constexpr int pictureDefault = 128;

    explicit dvrCamera_xecap(dvrBoard* board);
    ~dvrCamera_xecap() override;

    bool attach(int input) override;
    int setFramerate(int framesPerSecond) override;
    void prepareStart() override;
    bool grab() override;
    int applySet(const dvrCommand& command) override;

    std::string monitorTitle() const override { return getName(); }
    bool isRecordingMotion() const override { return isMotionRecording(); }
    void showFramesLeft(int frames) override;

private:
    dvrBoard_xecap* xecapBoard() const;
};
