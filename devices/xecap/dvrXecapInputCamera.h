#pragma once

#include <string>

// What the capture board needs from the camera on one of its inputs: the title shown on the
// monitor, whether it records motion ("REC" on the monitor) and where to show the frames left in
// its group. The camera kind implements it and tells the board when it comes and goes.
class dvrXecapInputCamera {
public:
    virtual ~dvrXecapInputCamera() = default;
    virtual std::string monitorTitle() const = 0;
    virtual bool isRecordingMotion() const = 0;
    virtual void showFramesLeft(int frames) = 0;
};
