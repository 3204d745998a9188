#pragma once

#include <atomic>
#include <memory>
#include <string>

class dvrSingleInstanceCheck;
class dvrWatchdogProgram;

// The program's start-up and shut-down: creates every process-wide object in a fixed order,
// runs the configuration script, starts capture, and takes everything down again in the
// opposite order. Shared by the desktop program and the headless recorder; what would be a
// dialog goes through the installed user interface.
class dvrApplication {
public:
    static constexpr const char* programName = "Mirdal DVR";
    static constexpr const char* buildText = "Vael 2.2.27 + Sony patch + cache patch + camera mutexes";

    struct Options {
        // Where the single-instance lock lives; empty for the runtime directory.
        std::string lockDirectory;
        // The log file in the program directory; tests that collect log lines themselves say no.
        bool openLog = true;
        // Starts mirdal-watchdog at "Starting watchdog...".
        bool startWatchdogProgram = true;
        // How long the main loop may stay silent before the software watchdog acts (a hung
        // main thread stops every command, refresh and rule).
        int mainLoopTimeoutSeconds = 200;
    };

    dvrApplication();
    explicit dvrApplication(Options options);
    ~dvrApplication();
    dvrApplication(const dvrApplication&) = delete;
    dvrApplication& operator=(const dvrApplication&) = delete;

    // Initialisation and the start-up sequence. False when another instance of the same user
    // runs; then nothing was started.
    bool initialise();
    // The shut-down sequence, then the instance lock and the log go. Does nothing twice.
    void shutDown();

    // Set by "quit" (and at shut-down): the main loop ends when it sees it.
    bool isQuitting() const { return quitting_; }
    bool isShuttingDown() const { return shuttingDown_; }
    // Collects the watchdog program when it has ended, so it leaves no zombie.
    void reapChildren();
    // The main loop calls this on every pass.
    void reportMainLoopAlive();

    static constexpr int minimumMainLoopTimeout = 5;
    static constexpr int maximumMainLoopTimeout = 3600;

private:
    void startUpSequence();
    void shutDownSequence();
    void runFirstRunTasks();
    void startWatchdogProgram();
    void step(const char* text, int percent);

    Options options_;
    std::unique_ptr<dvrSingleInstanceCheck> instanceCheck_;
    std::atomic<bool> quitting_{false};
    std::atomic<bool> shuttingDown_{false};
    bool initialised_ = false;
    bool logOpened_ = false;
    std::unique_ptr<dvrWatchdogProgram> watchdogProgram_;
};
