#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dvrXecapDriver.h"

// A capture card in software. While open, it runs through the frames of each second (25 PAL,
// 30 NTSC): at every frame each chip group hands one picture to the input its slot table names,
// if that input's transfer is on and its signal is not lost. An input with k slots of its group
// thus gets k pictures a second. Pictures are real UYVY test pictures (dvrXecapPictureRenderer).
//
// Tests and the demo script it: motion per input, signal loss per input, digital input contacts,
// a RS-485 line that times out. It records what the board sets: digital outputs, TV-out, RS-485
// bytes, on-screen text, watchdog calls, slot tables, picture controls.
//
// With Pace::realTime a thread of the card steps the frames by the steady clock; with
// Pace::manual nothing moves until advanceFrames, so tests decide exactly which frames pass.
class dvrXecapSimulatedCard {
public:
    enum class Pace { realTime, manual };

    static constexpr int defaultChipType = 4;
    static constexpr int defaultChannelCount = 16;
    // Inputs 1 and 3 (0 and 2) move unless told otherwise; the others are still.
    static constexpr std::uint32_t defaultMotionInputs = 0x5;
    static constexpr int osdColumns = 24;
    static constexpr int osdLines = 10;
    static constexpr int osdCharacters = osdColumns * osdLines;

    explicit dvrXecapSimulatedCard(Pace pace = Pace::realTime, int chipType = defaultChipType,
                                   int channelCount = defaultChannelCount);
    ~dvrXecapSimulatedCard();
    dvrXecapSimulatedCard(const dvrXecapSimulatedCard&) = delete;
    dvrXecapSimulatedCard& operator=(const dvrXecapSimulatedCard&) = delete;

    // Driver side (see dvrXecapDriver).
    dvrXecapDriver::Detail detail() const;
    int open(int mode, int videoFormat);
    int close();
    int signalStates(std::uint32_t& states) const;
    int setVideoSlices(int group, const std::vector<int>& slots);
    int startTransfer(int input, int resolution);
    int stopTransfer(int input);
    int waitForNewest(int input, int timeoutMilliseconds, std::shared_ptr<const dvrXecapPicture>& picture);
    int cancelWait(int input);
    int setPictureControl(int input, dvrXecapDriver::Control control, int value);
    int writeDigitalOutputs(std::uint32_t states);
    int readDigitalInputs(std::uint32_t& states) const;
    int setTvOut(int input);
    int configureUart(int speedIndex);
    int writeUart(const std::uint8_t* bytes, int length);
    int escapeUart();
    int writeOsd(int layer, int position, const std::uint8_t* codes, int length);
    int enableWatchdog(int seconds);
    int disableWatchdog();

    // Scripting. Inputs and contacts are 0-based; out-of-range numbers are ignored.
    void setMotion(int input, bool moving);
    void setMotionInputs(std::uint32_t inputs);
    bool isMoving(int input) const;
    void setSignalLost(int input, bool lost);
    // A closed contact reads 0 on its line, an open one (the default) 1.
    void setContactClosed(int contact, bool closed);
    void setUartTimesOut(bool timesOut);
    // Manual pace: lets that many frames of the second pass, delivering their pictures.
    void advanceFrames(int frames);

    // Records.
    bool isOpen() const;
    int openMode() const;
    int videoFormat() const;
    int framesPerSecond() const;
    bool isTransferOn(int input) const;
    int transferResolution(int input) const;
    // Pictures the input has been given since the card was made.
    std::uint64_t picturesDelivered(int input) const;
    // The number of the last picture a wait handed out for the input (0 before the first).
    std::uint64_t lastPictureTaken(int input) const;
    std::vector<int> slotTable(int group) const;
    std::uint32_t digitalOutputs() const;
    // -1 until the board switches it.
    int tvOutInput() const;
    int uartSpeedIndex() const;
    bool isUartConfigured() const;
    std::vector<std::uint8_t> uartBytes() const;
    // A layer's 240 characters decoded through the character table; unknown codes read '?'.
    std::string osdText(int layer) const;
    // "enable 60", "disable", in order.
    std::vector<std::string> watchdogCalls() const;
    int pictureControl(int input, dvrXecapDriver::Control control) const;

private:
    struct Input {
        bool transfer = false;
        int resolution = 0;
        bool moving = false;
        bool signalLost = false;
        std::uint64_t delivered = 0;
        std::uint64_t handedOut = 0;
        std::uint64_t cancelGeneration = 0;
        std::shared_ptr<const dvrXecapPicture> newest;
        std::array<int, 6> controls{};
    };
    struct Delivery {
        int input;
        int resolution;
        bool moving;
        std::uint64_t sequence;
    };

    static bool validInput(int input) { return input >= 0 && input < dvrXecapDriver::maximumInputs; }
    int groupCount() const;
    std::vector<Delivery> takeFrame();
    void deliver(const std::vector<Delivery>& deliveries, const std::string& clock);
    void runFrames();
    void startThread();
    void stopThread();

    const Pace pace_;
    const int chipType_;
    const int channelCount_;

    mutable std::mutex lock_;
    std::condition_variable pictureArrived_;
    std::condition_variable paceWake_;
    bool open_ = false;
    bool stopping_ = false;
    int mode_ = 0;
    int videoFormat_ = 0;
    std::uint64_t frameCount_ = 0;
    std::array<Input, dvrXecapDriver::maximumInputs> inputs_{};
    std::vector<std::vector<int>> slots_;
    std::uint32_t digitalOutputs_ = 0;
    std::uint32_t digitalInputs_ = 0xFFFFFFFFu;
    int tvOut_ = -1;
    int uartSpeed_ = -1;
    bool uartTimesOut_ = false;
    std::vector<std::uint8_t> uartBytes_;
    std::array<std::array<std::uint8_t, osdCharacters>, dvrXecapDriver::osdLayers> osd_{};
    std::vector<std::string> watchdogCalls_;
    std::thread paceThread_;
};
