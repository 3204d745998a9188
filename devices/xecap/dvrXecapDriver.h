#pragma once

#include <cstdint>
#include <memory>
#include <vector>

// One picture the card delivered for an input: packed UYVY, width x height x 2 bytes. A picture
// is never changed once it is handed out, so a caller may keep it while the card goes on.
struct dvrXecapPicture {
    int width = 0;
    int height = 0;
    // Counts the input's pictures from 1.
    std::uint64_t sequence = 0;
    std::vector<std::uint8_t> bytes;
};

// What the capture card offers the board: board search and detail information, open and close,
// signal states, video slices, transfer and frame waits, picture controls, digital I/O, TV-out,
// the RS-485 UART, on-screen text and the hardware watchdog. Every call returns success (128)
// or another value on failure. Cards are numbered from 0 in the order the search finds them.
//
// The simulated card is the implementation that exists here; a V4L2 capture card fits the same
// calls (transfer = streaming on the input's video node, the frame wait = a dequeue with poll,
// the controls = V4L2 controls), as does a termios RS-485 line for the UART.
class dvrXecapDriver {
public:
    static constexpr int success = 128;
    static constexpr int failed = 0;
    static constexpr int timedOut = 1;
    static constexpr int cancelled = 2;
    static constexpr int maximumInputs = 32;
    static constexpr int osdLayers = 2;

    struct Detail {
        int chipType = 0;
        int channelCount = 0;
    };

    enum class Control { brightness, contrast, sharpness, hue, saturationU, saturationV };

    virtual ~dvrXecapDriver() = default;

    virtual int searchBoards(int& count) = 0;
    virtual int readDetail(int card, Detail& detail) = 0;
    // mode: 3, or 19 with the digital I/O extension; videoFormat: 0 PAL, 1 NTSC.
    virtual int openCard(int card, int mode, int videoFormat) = 0;
    virtual int closeCard(int card) = 0;
    // One bit per input: set while the input has a video signal.
    virtual int readSignalStates(int card, std::uint32_t& states) = 0;
    // The group's frames of one second: one entry per frame, an input number or 99 for none.
    virtual int setVideoSlices(int card, int group, const std::vector<int>& slots) = 0;
    virtual int startVideoTransfer(int card, int input, int resolution) = 0;
    virtual int stopVideoTransfer(int card, int input) = 0;
    // Waits until the input has a picture newer than the last one this call returned, then hands
    // out the newest. timedOut when none came in time, cancelled after cancelWait.
    virtual int waitForNewestImage(int card, int input, int timeoutMilliseconds,
                                   std::shared_ptr<const dvrXecapPicture>& picture) = 0;
    virtual int cancelWait(int card, int input) = 0;
    virtual int setPictureControl(int card, int input, Control control, int value) = 0;
    // One bit per output or input.
    virtual int writeDigitalOutputs(int card, std::uint32_t states) = 0;
    virtual int readDigitalInputs(int card, std::uint32_t& states) = 0;
    virtual int setTvOut(int card, int input) = 0;
    // Speed index 0-5: 1200, 2400, 4800, 9600, 19200, 38400 bit/s.
    virtual int configureUart(int card, int speedIndex) = 0;
    // All bytes or none; timedOut when the line did not take them within the limit.
    virtual int writeUart(int card, const std::uint8_t* bytes, int length, int timeoutMilliseconds) = 0;
    virtual int escapeUart(int card) = 0;
    // Font codes at a character position (24 per line) of a text layer (0 or 1).
    virtual int writeOsd(int card, int layer, int position, const std::uint8_t* codes, int length) = 0;
    virtual int enableWatchdog(int card, int seconds) = 0;
    virtual int disableWatchdog(int card) = 0;

    // The driver boards made from now on use. Until one is chosen it is a simulated driver with
    // two cards.
    static std::shared_ptr<dvrXecapDriver> current();
    static void use(std::shared_ptr<dvrXecapDriver> driver);
};
