#pragma once

// Reads the line speed a terminal is set to, in bit/s, also for rates without a termios constant.
class dvrLineSpeedProbe {
public:
    // -1 when the descriptor is not a terminal.
    static int outputSpeed(int descriptor);
    static int inputSpeed(int descriptor);
};
