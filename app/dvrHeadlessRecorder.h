#pragma once

#include <string>

#include "dvrApplication.h"
#include "dvrHeadlessUserInterface.h"

// The recorder without windows: the same start-up and shut-down, a main loop that runs
// "Refresh" every 20 ms and the command lines read from an input descriptor (standard input),
// until "quit", SIGINT or SIGTERM. Dialogs become log lines and lines on standard error.
class dvrHeadlessRecorder {
public:
    static constexpr int refreshIntervalMilliseconds = 20;
    // Longest command line read from the input; longer lines are refused whole.
    static constexpr std::size_t maximumInputLineLength = 8192;

    explicit dvrHeadlessRecorder(int inputDescriptor, dvrApplication::Options options = {});
    ~dvrHeadlessRecorder();
    dvrHeadlessRecorder(const dvrHeadlessRecorder&) = delete;
    dvrHeadlessRecorder& operator=(const dvrHeadlessRecorder&) = delete;

    // False when another recorder of the same user runs.
    bool startUp();
    // Returns the process exit code.
    int runUntilQuit();
    void shutDown();

    // SIGINT and SIGTERM wake the main loop of the recorder that runs, which then runs "quit".
    static void installSignalHandlers();

private:
    void readInput();
    void runInputLine(std::string line);

    int input_;
    bool inputOpen_ = true;
    bool started_ = false;
    dvrApplication application_;
    std::string pending_;
    bool discardingLongLine_ = false;
    dvrHeadlessUserInterface userInterface_;
};
