#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "dvrTemporaryDirectory.h"
#include "dvrWatchedProcess.h"
#include "watchdog/dvrPollFile.h"

namespace {

using namespace std::chrono_literals;

// Generous bound for anything the test waits for; reaching it fails the test instead of hanging.
constexpr auto patience = 60s;

bool waitUntil(const std::function<bool()>& condition) {
    for (auto waited = 0ms; waited < patience; waited += 20ms) {
        if (condition())
            return true;
        std::this_thread::sleep_for(20ms);
    }
    return condition();
}

bool isRunning(pid_t pid) {
    dvrWatchedProcess process;
    return dvrWatchedProcess::ofProcess(pid, process);
}

struct Start {
    pid_t pid;
    std::string workingDirectory;
    std::string arguments;
};

// A fake recorder (tests/tools/fake-recorder.sh) run in a directory of its own, with everything
// it and its mirdal-watchdog start ended when the scene ends, also after a failed assertion.
class RecorderScene {
public:
    RecorderScene(const std::string& behaviour, int graceSeconds) : graceSeconds_(graceSeconds) {
        directory_.write("behaviour", behaviour);
    }

    ~RecorderScene() {
        // First the orderly way, then by force for whatever still runs in this directory.
        directory_.write("stop", "");
        waitUntilAllEnded(5s);
        for (pid_t pid : listedProcesses())
            if (isRunning(pid) && inOurDirectory(pid))
                kill(pid, SIGKILL);
        if (child_ > 0) {
            kill(child_, SIGKILL);
            waitpid(child_, nullptr, 0);
        }
    }

    const dvrTemporaryDirectory& directory() const { return directory_; }

    void start(const std::vector<std::string>& arguments) {
        std::vector<std::string> command{"/bin/sh", MIRDAL_FAKE_RECORDER};
        command.insert(command.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& argument : command)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::string grace = std::to_string(graceSeconds_);
        std::string output = directory_.file("output.txt");
        child_ = fork();
        ASSERT_GE(child_, 0);
        if (child_ == 0) {
            if (chdir(directory_.path().c_str()) != 0)
                _exit(126);
            setenv("MIRDAL_TEST_WATCHDOG", MIRDAL_WATCHDOG_PROGRAM, 1);
            setenv("MIRDAL_TEST_GRACE", grace.c_str(), 1);
            int nothing = open("/dev/null", O_RDONLY);
            int log = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            dup2(nothing, STDIN_FILENO);
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }

    // The first recorder, started by the test.
    pid_t firstRecorder() const { return child_; }
    // Waits for the first recorder's end and returns its wait status.
    int reapFirstRecorder() {
        int status = 0;
        waitpid(child_, &status, 0);
        child_ = -1;
        return status;
    }

    std::vector<Start> starts() const {
        std::vector<Start> found;
        std::istringstream lines(read("starts"));
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string word;
            Start start{};
            if (!(fields >> word >> start.pid >> start.workingDirectory) || word != "start")
                continue;
            std::getline(fields, start.arguments);
            found.push_back(start);
        }
        return found;
    }

    // Every process number the fake recorders wrote down: theirs and their watchdogs'.
    std::vector<pid_t> listedProcesses() const {
        std::vector<pid_t> found;
        std::istringstream numbers(read("processes"));
        pid_t pid = 0;
        while (numbers >> pid)
            found.push_back(pid);
        return found;
    }

    std::string watchdogLog() const { return read("mirdal-watchdog.log"); }
    std::string read(const std::string& name) const { return directory_.read(name); }

private:
    bool inOurDirectory(pid_t pid) const {
        std::error_code error;
        auto cwd = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/cwd", error);
        return !error && cwd == std::filesystem::canonical(directory_.path());
    }

    void waitUntilAllEnded(std::chrono::milliseconds bound) const {
        for (auto waited = 0ms; waited < bound; waited += 20ms) {
            bool any = false;
            for (pid_t pid : listedProcesses())
                any = any || (isRunning(pid) && inOurDirectory(pid));
            if (!any)
                return;
            std::this_thread::sleep_for(20ms);
        }
    }

    dvrTemporaryDirectory directory_;
    int graceSeconds_;
    pid_t child_ = -1;
};

TEST(dvrWatchdogProgramTest, AHealthyRecorderIsLeftAloneAndItsOrderlyShutDownEndsTheWatch) {
    RecorderScene scene("empty\n", 2);
    // Left over from an earlier orderly exit: it must not end the new watch.
    scene.directory().write(dvrPollFile::fileName, "die");
    scene.start({"--headless"});
    ASSERT_TRUE(waitUntil([&] { return scene.listedProcesses().size() == 2; }));
    pid_t watchdog = scene.listedProcesses()[1];
    ASSERT_TRUE(waitUntil([&] { return scene.watchdogLog().find("Watching") != std::string::npos; }))
        << scene.read("output.txt");

    // Several grace periods of a recorder that keeps emptying the file.
    std::this_thread::sleep_for(6s);
    EXPECT_EQ(scene.starts().size(), 1u) << scene.watchdogLog();
    EXPECT_TRUE(isRunning(watchdog)) << scene.watchdogLog();

    scene.directory().write("stop", "");
    int status = scene.reapFirstRecorder();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(waitUntil([&] { return !isRunning(watchdog); })) << scene.watchdogLog();
    EXPECT_NE(scene.watchdogLog().find("shut down"), std::string::npos) << scene.watchdogLog();
    EXPECT_EQ(scene.starts().size(), 1u);
}

TEST(dvrWatchdogProgramTest, ARecorderThatStopsEmptyingIsStartedAgainAsBefore) {
    const struct {
        const char* what;
        const char* behaviour;
    } cases[] = {
        {"hung recorder", "hang\nempty\n"},
        {"killed recorder", "crash\nempty\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RecorderScene scene(c.behaviour, 1);
        scene.start({"--headless", "two words", ""});
        ASSERT_TRUE(waitUntil([&] { return scene.starts().size() == 2; }))
            << scene.watchdogLog() << scene.read("output.txt");

        std::vector<Start> starts = scene.starts();
        EXPECT_EQ(starts[0].pid, scene.firstRecorder());
        EXPECT_EQ(starts[0].workingDirectory, std::filesystem::canonical(scene.directory().path()).string());
        EXPECT_EQ(starts[0].arguments, " [--headless] [two words] []");
        EXPECT_EQ(starts[1].workingDirectory, starts[0].workingDirectory);
        EXPECT_EQ(starts[1].arguments, starts[0].arguments);
        EXPECT_NE(starts[1].pid, starts[0].pid);

        // The old recorder is gone (killed by the watchdog when it hung), and so is its watchdog.
        int status = scene.reapFirstRecorder();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        pid_t firstWatchdog = scene.listedProcesses()[1];
        EXPECT_TRUE(waitUntil([&] { return !isRunning(firstWatchdog); }));
        EXPECT_NE(scene.watchdogLog().find("restarting"), std::string::npos) << scene.watchdogLog();

        // The new recorder started a watch of its own.
        ASSERT_TRUE(waitUntil([&] { return scene.listedProcesses().size() == 4; }));
        EXPECT_TRUE(isRunning(scene.listedProcesses()[2]));
        EXPECT_TRUE(isRunning(scene.listedProcesses()[3]));
    }
}

} // namespace
