#pragma once

#include <chrono>

// How long the login dialog waits after a failed attempt before it lets the user try again: the
// wait doubles with every failure in the same dialog, up to 8 seconds. The dialog runs it on a
// timer; nothing here sleeps.
class dvrLoginBackoff {
public:
    static constexpr std::chrono::seconds longestWait{8};

    // The wait after the given number of failures in one dialog: 2, 4, 8, 8, ... seconds;
    // nothing before the first failure.
    static std::chrono::seconds waitAfter(int failures);
};
