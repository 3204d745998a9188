#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A pseudo-terminal standing in for a serial line: the port under test opens the port side by its
// path, the test plays the device at the far end. It starts as an ordinary terminal line at
// 300 bit/s, so every setting a port makes is visible.
class dvrPseudoTerminal {
public:
    // Waits for data are bounded by this, so a broken port fails a test instead of hanging it.
    static constexpr int safetyLimitMilliseconds = 5000;

    dvrPseudoTerminal();
    ~dvrPseudoTerminal();
    dvrPseudoTerminal(const dvrPseudoTerminal&) = delete;
    dvrPseudoTerminal& operator=(const dvrPseudoTerminal&) = delete;

    bool isOpen() const { return farEnd_ >= 0 && portSide_ >= 0; }
    const std::string& portPath() const { return portPath_; }
    // The test's own descriptor of the port side, opened before any port under test.
    int portSide() const { return portSide_; }

    // Reads until count bytes came from the port or the safety limit passed; returns what came.
    std::string readAtFarEnd(std::size_t count);
    // Sends bytes from the far end towards the port.
    bool sendFromFarEnd(std::string_view bytes);
    // Reads what the far end sent, as the port side receives it.
    std::string readAtPortSide(std::size_t count);
    // Writes into the line from the port side until it takes nothing more: the far end never reads,
    // so the line stays blocked. Returns the bytes it took.
    std::size_t fillUntilBlocked();
    // The device at the far end goes away: the line hangs up.
    void hangUp();

private:
    int farEnd_ = -1;
    int portSide_ = -1;
    std::string portPath_;
};
