#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "dvrCamera.h"

// A camera kind with three resolutions (352x288, 704x288, 704x576) and the formats 1, 2 and 3,
// which writes every hook the base calls into its journal, e.g. "image 704x576 2" or
// "codec MJPG 1".
class dvrRecordingCamera : public dvrCamera {
public:
    explicit dvrRecordingCamera(dvrBoard* board);
    ~dvrRecordingCamera() override;

    std::vector<std::string> journal() const;
    void clearJournal();

protected:
    void releaseImage() override { note("releaseImage"); }
    bool createImage(int width, int height, int format) override;
    void releaseCodec() override { note("releaseCodec"); }
    bool createCodec(const std::string& code, int mode, int keyframeInterval) override;
    void setCodecQuality(int quality) override;
    void rebuildDome() override { note("dome"); }
    void startCaptureThread() override { note("startThread"); }
    void stopCaptureThread() override { note("stopThread"); }

private:
    void note(const std::string& call);

    mutable std::mutex lock_;
    std::vector<std::string> journal_;
};
