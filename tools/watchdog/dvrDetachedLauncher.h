#pragma once

#include <string>
#include <sys/types.h>

class dvrRecorderCommand;

// Starts a program that outlives the one that starts it: in a session of its own (no terminal
// hang-up or group signal reaches it), in the command's working directory, standard input from
// /dev/null, output to /dev/null, every other descriptor closed, default signal handling.
class dvrDetachedLauncher {
public:
    // Returns the new process number, or -1 with problem saying why the program did not start
    // (the reason from the new process itself when exec failed).
    static pid_t launch(const dvrRecorderCommand& command, std::string& problem);
    // Makes the own process ready to hand its state on: default signal handling, nothing
    // blocked, standard descriptors on /dev/null and no other descriptors left open (an
    // inherited lock would otherwise keep the restarted recorder from starting).
    static void resetInheritedState();
};
