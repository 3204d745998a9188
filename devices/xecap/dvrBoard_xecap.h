#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "dvrBoard.h"
#include "dvrXecapDriver.h"
#include "dvrXecapSlotScheduler.h"

class dvrXecapInputCamera;
class dvrXecapSimulatedCard;

// A multi-channel analog capture card. Its capture chips each share a fixed number of frames a
// second (25 PAL, 30 NTSC) among the inputs of their group (input i is in group i mod G); the
// board hands out frame rates and resolutions under those budgets and turns the rates into each
// group's slot schedule. It also drives the monitor output with switching and on-screen text,
// 32 digital inputs and outputs, an RS-485 port and the hardware watchdog.
//
// Threads: capture threads call waitForFrame (no camera lock held) and grabFrame (image lock
// held, copies only); the GUI thread does everything else.
class dvrBoard_xecap : public dvrBoard {
public:
    static constexpr int cameraType = 2;
    static constexpr int digitalLines = 32;
    static constexpr int largestRs485Write = 1024;
    static constexpr int rs485TimeoutMilliseconds = 100;
    static constexpr int osdColumns = 24;
    static constexpr int osdLines = 10;
    static constexpr std::size_t largestOsdText = 96;

    dvrBoard_xecap();
    ~dvrBoard_xecap() override;

    // 0 for the first board, 1 for the second, ...; every driver call takes it.
    int cardIndex() const { return cardIndex_; }
    int groupCount() const { return groups_; }
    int camerasPerGroup() const { return camerasPerGroup_; }
    // F: frames a group shares per second.
    int framesPerGroup() const;

    bool probe() override;
    bool open() override;
    bool close() override;
    bool reset() override;
    bool start() override;
    bool stop() override;
    bool startInput(int input) override;
    bool stopInput(int input) override;

    int setInputResolution(int input, int resolution) override;
    int setInputFramerate(int input, int framesPerSecond) override;
    // The group's slots as last handed to the card: F entries, input numbers or 99.
    std::vector<int> groupSchedule(int group) const;

    int getInputCount() const override;
    bool hasSignal(int input) override;
    int getDigitalInputCount() const override { return digitalLines; }
    int getDigitalOutputCount() const override { return digitalLines; }
    int setDigitalOutput(int index, bool on) override;
    int getDigitalInput(int index) override;
    int pollDigitalIO() override;
    bool setBrightness(int input, int value) override;
    bool setContrast(int input, int value) override;
    bool setSharpness(int input, int value) override;
    bool setColor(int input, int value) override;
    bool setHue(int input, int value) override;
    int getCameraType(int) const override { return cameraType; }
    bool waitForFrame(int input, int timeoutMilliseconds) override;
    bool grabFrame(int input, const dvrFrameBuffer& buffer) override;
    std::string getTypeName() const override { return "XeCap"; }
    void update() override;

    bool hasRS485() const override { return true; }
    bool openRS485() override;
    int writeRS485(const std::uint8_t* bytes, int length) override;
    bool closeRS485() override;

    int getAnalogOutputCount() const override { return 1; }
    bool setAnalogOutput(int output, int input) override;
    // The input shown on monitor 1, -1 before the first switch.
    int monitorInput() const { return monitorInput_; }
    // Moves monitor 1 to the next input (cyclically over 32) that is in use and not marked
    // "noswitch"; update does this every "switchtime" seconds while "switch" is on.
    void switchMonitorToNext();

    int watchdogEnable(int seconds) override;
    int watchdogDisable() override;

    // Cameras on the inputs: their titles and motion state for the monitor, and their
    // "framesleft" counters.
    void attachCamera(int input, dvrXecapInputCamera* camera);
    void detachCamera(int input, dvrXecapInputCamera* camera);
    void setNoSwitch(int input, bool on);
    // F minus the rates of the inputs in use in the input's group.
    int framesLeftInGroup(int input) const;
    // Tells every attached camera the frames left in its group.
    void publishFramesLeft();

    // The simulated card behind this board, or null with another driver.
    dvrXecapSimulatedCard* simulatedCard() const;

    // Besides the settings' reactions, a board on the simulated card takes these lines (values
    // are 0-based input or contact numbers):
    //   "sim_motion" (a saved setting): one bit per input that shows moving boxes, default 5;
    //   "sim_signal_off", "sim_signal_on": the input loses or regains its video signal;
    //   "sim_contact_close", "sim_contact_open": a digital input contact.
    int applySet(const dvrCommand& command) override;

private:
    bool searchCard();
    void rebuildSchedule(int group);
    int groupLoad(int input, int excludedInput) const;
    int bandwidthLoad(int excludedInput) const;
    bool validLine(int index) const { return index >= 0 && index < digitalLines; }
    bool validCardInput(int input) const {
        return input >= 0 && input < dvrXecapDriver::maximumInputs && input < getInputCount();
    }
    bool isTransferOn(int input) const;
    void writeOsd(int layer, int position, const std::string& text);
    void clearOsd();
    void refreshOsd();
    void applySimulation(const std::string& key, int value);

    std::shared_ptr<dvrXecapDriver> driver_;
    const int cardIndex_;
    std::atomic<int> groups_{4};
    std::atomic<int> channels_{0};
    std::atomic<int> camerasPerGroup_{0};
    std::atomic<bool> opened_{false};
    std::atomic<bool> transferEnabled_{false};
    std::atomic<bool> osdRefresh_{false};
    std::atomic<int> monitorInput_{-1};
    std::chrono::steady_clock::time_point lastSwitch_{};

    // Transfer marks, no-switching marks, slot tables and the scheduler.
    mutable std::mutex stateLock_;
    std::array<bool, dvrXecapDriver::maximumInputs> transferOn_{};
    std::array<bool, dvrXecapDriver::maximumInputs> noSwitch_{};
    std::vector<std::vector<int>> schedules_;
    dvrXecapSlotScheduler scheduler_;

    // The picture each input's last frame wait brought, until grabFrame copies it.
    mutable std::mutex pictureLock_;
    std::array<std::shared_ptr<const dvrXecapPicture>, dvrXecapDriver::maximumInputs> waited_{};

    mutable std::mutex digitalLock_;
    std::uint32_t outputStates_ = 0;
    std::uint32_t inputStates_ = 0;

    std::mutex rs485Lock_;
    bool rs485Open_ = false;
    int rs485Speed_ = -1;

    mutable std::mutex cameraLock_;
    std::array<dvrXecapInputCamera*, dvrXecapDriver::maximumInputs> cameras_{};

    // On-screen texts last written, so a refresh rewrites only what changed.
    std::string shownRecording_;
    std::string shownClock_;
};
