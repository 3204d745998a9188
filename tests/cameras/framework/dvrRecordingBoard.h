#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "dvrBoard.h"

// A board with four inputs that writes every call a camera makes into its journal, e.g.
// "framerate 0 12" or "startInput 1".
class dvrRecordingBoard : public dvrBoard {
public:
    static constexpr int cameraType = 71;

    explicit dvrRecordingBoard(int videoStandard = 1);

    int getInputCount() const override { return 4; }
    int getCameraType(int) const override { return cameraType; }
    std::string getTypeName() const override { return "Recording"; }
    int setInputResolution(int input, int resolution) override;
    bool setInputFormat(int input, int format) override;
    int setInputFramerate(int input, int framesPerSecond) override;
    bool setBrightness(int input, int value) override;
    bool setContrast(int input, int value) override;
    bool setSharpness(int input, int value) override;
    bool setColor(int input, int value) override;
    bool setHue(int input, int value) override;
    bool startInput(int input) override;
    bool stopInput(int input) override;

    std::vector<std::string> journal() const;
    void clearJournal();

    // The most frames per second the board grants; 0 grants whatever is asked.
    int framerateLimit = 0;
    // The resolution index the board grants instead of the one asked; -1 grants the one asked.
    int grantedResolution = -1;

private:
    void note(const std::string& call, int input, int value = -1);

    mutable std::mutex lock_;
    std::vector<std::string> journal_;
};
