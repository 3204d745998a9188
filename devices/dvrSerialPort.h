#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// One serial line held exclusively: raw 8 data bits, no parity, one stop bit, no flow control.
// Nothing is ever read back from the line, so only writing is offered.
class dvrSerialPort {
public:
    // A write may take this long per byte, plus the fixed allowance below, before it gives up.
    static constexpr int writeMillisecondsPerByte = 5;
    static constexpr int writeMillisecondsFixed = 1000;
    // Longest single write; a longer request writes this many bytes and reports it.
    static constexpr int maximumWriteLength = 65536;
    // "COM1" to "COM256" map to /dev/ttyS0 to /dev/ttyS255.
    static constexpr int highestComNumber = 256;
    static constexpr std::size_t maximumPathLength = 4095;

    // The device path of a port name: "COMn" (any case) gives /dev/ttyS(n-1), a name starting with
    // "/" is the path itself. Empty for anything else.
    static std::string devicePathFor(std::string_view portName);
    // The line speeds offered for serial ports, in bit/s.
    static bool isSupportedSpeed(int bitsPerSecond);

    dvrSerialPort() = default;
    ~dvrSerialPort();
    dvrSerialPort(const dvrSerialPort&) = delete;
    dvrSerialPort& operator=(const dvrSerialPort&) = delete;

    // Opens the named port at the given speed, refusing it when another holder has it
    // exclusively. Failures are logged and leave the port closed.
    bool open(std::string_view portName, int bitsPerSecond);
    bool isOpen() const { return descriptor_ >= 0; }
    // Discards whatever the far end sent, then writes; returns the bytes really written, which is
    // fewer than asked when the line stays blocked past the write time-out.
    int write(const std::uint8_t* bytes, int length);
    void close();

private:
    bool configureLine(int bitsPerSecond);

    int descriptor_ = -1;
    std::string path_;
};
