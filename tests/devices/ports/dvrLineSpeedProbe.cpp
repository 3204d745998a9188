#include "dvrLineSpeedProbe.h"

// The kernel's termios2 reports the speed as a number; <termios.h> cannot be included with it.
#include <asm/termbits.h>
#include <sys/ioctl.h>

int dvrLineSpeedProbe::outputSpeed(int descriptor) {
    struct termios2 line {};
    return ::ioctl(descriptor, TCGETS2, &line) == 0 ? static_cast<int>(line.c_ospeed) : -1;
}

int dvrLineSpeedProbe::inputSpeed(int descriptor) {
    struct termios2 line {};
    return ::ioctl(descriptor, TCGETS2, &line) == 0 ? static_cast<int>(line.c_ispeed) : -1;
}
