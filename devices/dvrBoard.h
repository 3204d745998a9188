#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <mutex>
#include <string>
#include <vector>

#include "dvrFrameBuffer.h"
#include "object/dvrObject.h"


// One free input as the add-camera dialog offers it.
struct dvrFreeInput {
    std::string text; // "%s [%d]": the board's type name and the 1-based input number
    int input = 0;    // 0-based
};

// Base of every device that feeds cameras or offers inputs and outputs. The operations have
// harmless defaults; each board kind overrides what its hardware offers. Every input, output and
// port index is checked against both bounds before it is used.
class dvrBoard : public dvrObject {
public:
    static constexpr int maximumInputs = 256;
    // Inputs whose video presence is remembered for signalChange.
    static constexpr int signalMemoryInputs = 64;
    // Camera type of inputs that take no camera.
    static constexpr int noCameraType = 99;

    dvrBoard();
    ~dvrBoard() override;

    virtual bool isUnique() const { return false; }
    virtual bool isRemote() const { return false; }
    bool isStarted() const { return started_; }
    virtual bool probe() { return true; }

    virtual bool open() { return true; }
    virtual bool close() { return true; }
    virtual bool reset() { return true; }
    // Kinds that override start and stop call the base, which keeps the started flag.
    virtual bool start();
    virtual bool stop();

    // Per-input tables; the base stores and grants what is asked.
    virtual int setInputResolution(int input, int resolution);
    virtual bool setInputFormat(int input, int format);
    virtual int setInputFramerate(int input, int framesPerSecond);
    int inputResolution(int input) const;
    int inputFormat(int input) const;
    int inputFramerate(int input) const;

    virtual int getInputCount() const { return 32; }
    // Whether the input (or, with -1, every input in use) has a video signal.
    virtual bool hasSignal(int) { return true; }
    virtual int getDigitalInputCount() const { return 0; }
    virtual int getDigitalOutputCount() const { return 0; }
    virtual int setDigitalOutput(int, bool) { return 1; }
    virtual int getDigitalInput(int) { return 0; }
    // Exchanges output and input states with the device.
    virtual int pollDigitalIO() { return 1; }
    virtual bool setBrightness(int, int) { return true; }
    virtual bool setContrast(int, int) { return true; }
    virtual bool setSharpness(int, int) { return true; }
    virtual bool setColor(int, int) { return true; }
    virtual bool setHue(int, int) { return true; }
    virtual int getCameraType(int input) const;
    std::vector<dvrFreeInput> listFreeInputs() const;
    // Waits, without any camera lock held, until the input has a new picture or the time is up;
    // grabFrame then copies that picture without waiting. Boards that deliver at once need not wait.
    virtual bool waitForFrame(int /*input*/, int /*timeoutMilliseconds*/) { return true; }
    // Fills the buffer with a picture of the input. The base has no picture to give.
    virtual bool grabFrame(int input, const dvrFrameBuffer& buffer);
    virtual std::string getTypeName() const { return "Null"; }
    // Called once per core refresh.
    virtual void update() {}

    virtual bool hasRS485() const { return false; }
    virtual bool openRS485() { return false; }
    virtual int writeRS485(const std::uint8_t*, int) { return 0; }
    virtual bool closeRS485() { return false; }

    virtual int getAnalogOutputCount() const { return 0; }
    virtual bool setAnalogOutput(int, int) { return false; }

    virtual int watchdogEnable(int) { return 1; }
    virtual int watchdogDisable() { return 1; }
    // Keeps a hardware watchdog fed from the frame path, at most once a second.
    int watchdogTick();
    // Declares "watchdog" and "watchdogtime" for boards with a hardware watchdog.
    int declareWatchdogSettings();
    // -1 when the input's signal was just lost, +1 when it just returned, 0 otherwise.
    int signalChange(int input);

    virtual bool startInput(int) { return true; }
    virtual bool stopInput(int) { return true; }

    // Marks an input as taken by a camera; fails when out of range or already taken.
    bool reserveInput(int input);
    bool releaseInput(int input);
    bool isInputInUse(int input) const;

    int applySet(const dvrCommand& command) override;

protected:
    bool validInput(int input) const { return input >= 0 && input < maximumInputs && input < getInputCount(); }

private:
    struct InputState {
        std::atomic<bool> inUse{false};
        std::atomic<int> resolution{0};
        std::atomic<int> format{0};
        std::atomic<int> framerate{0};
    };

    std::array<InputState, maximumInputs> inputs_{};
    std::atomic<bool> started_{false};
    std::mutex tickLock_;
    // The steady clock, so a change of the wall clock neither stops nor floods the watchdog.
    std::optional<std::chrono::steady_clock::time_point> lastTick_;
    std::atomic<std::uint64_t> signalMemory_{0};
};
