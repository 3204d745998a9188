#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "dvrRecorderProcess.h"
#include "dvrTemporaryDirectory.h"

// The recorder as a process: start-up and shut-down as an operator sees them in mirdal.log and
// __poll, the single-instance check, and the restart of a hung recorder by mirdal-watchdog.
namespace {

const std::string program = MIRDAL_PROGRAM;

// Waits (bounded) until the condition holds.
bool waitFor(const std::function<bool()>& condition, std::chrono::seconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Every process whose working directory is the given one.
std::vector<pid_t> processesIn(const std::string& directory) {
    std::vector<pid_t> found;
    std::error_code error;
    std::string wanted = std::filesystem::canonical(directory, error).string();
    DIR* proc = opendir("/proc");
    if (!proc)
        return found;
    while (dirent* entry = readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == getpid())
            continue;
        std::string cwd = std::filesystem::read_symlink("/proc/" + std::string(entry->d_name) + "/cwd", error);
        if (!error && cwd == wanted)
            found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
    return found;
}

// One recorder started in a directory of its own, with its standard input on a pipe. Whatever
// is still running in that directory when the test ends is ended, restarted recorders included.
class Recorder {
public:
    Recorder(const dvrTemporaryDirectory& directory, std::vector<std::string> arguments)
        : directory_(directory), process_(program, directory.path(), arguments) {}

    ~Recorder() {
        process_.closeInput();
        // "die" first, so no watchdog program restarts anything we end here.
        std::ofstream(directory_.file("__poll"), std::ios::trunc) << "die";
        for (int round = 0; round < 3; ++round)
            for (pid_t pid : processesIn(directory_.path()))
                kill(pid, SIGKILL);
    }

    pid_t pid() const { return process_.pid(); }
    void send(const std::string& text) { process_.send(text); }
    // Waits (bounded) for the end; the wait status, or -1 when it did not end.
    int waitForEnd(std::chrono::seconds limit) { return process_.waitForEnd(limit); }
    std::string log() const { return readFile(directory_.file("mirdal.log")); }
    std::string errors() const { return readFile(directory_.file("stderr.txt")); }

private:
    const dvrTemporaryDirectory& directory_;
    dvrRecorderProcess process_;
};

const std::vector<std::string> startUpSteps = {
    "Starting up...",          "Starting console services...", "Starting the core engine...",
    "Initializing default objects...", "Initializing settings...", "Starting database...",
    "Starting filesystem...",  "Starting capture...",          "Starting user interface...",
    "Starting watchdog...",    "Ready.",
};
const std::vector<std::string> shutDownSteps = {
    "Shutting down...",           "Shutting down user interface...", "Shutting down capture...",
    "Shutting down program core...", "Shutting down file system...", "Shutting console services...",
    "Shutting down watchdog...",  "Cleaning up...",
};

void expectInOrder(const std::string& log, const std::vector<std::string>& steps) {
    std::size_t at = 0;
    for (const std::string& step : steps) {
        std::size_t found = log.find(": " + step + "\n", at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << step << "\n" << log;
        at = found + 1;
    }
}

TEST(dvrRecorderLifecycleTest, QuitAndSigtermBothShutDownInOrderAndLeaveDie) {
    for (bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "quit");
        dvrTemporaryDirectory directory;
        Recorder recorder(directory, {"--headless", "--no-watchdog"});
        ASSERT_TRUE(waitFor([&] { return recorder.log().find(": Ready.\n") != std::string::npos; },
                            std::chrono::seconds(20)))
            << recorder.log();
        if (bySignal)
            kill(recorder.pid(), SIGTERM);
        else
            recorder.send("quit\n");
        int status = recorder.waitForEnd(std::chrono::seconds(20));
        ASSERT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        std::string log = recorder.log();
        expectInOrder(log, startUpSteps);
        expectInOrder(log.substr(log.find(": Ready.\n")), shutDownSteps);
        EXPECT_EQ(readFile(directory.file("__poll")), "die");
        // Quitting this way never saves the configuration.
        EXPECT_FALSE(std::filesystem::exists(directory.file("settings.mrd")));
    }
}

TEST(dvrRecorderLifecycleTest, ASecondInstanceOfTheSameUserIsRefused) {
    dvrTemporaryDirectory directory;
    Recorder first(directory, {"--headless", "--no-watchdog"});
    ASSERT_TRUE(waitFor([&] { return first.log().find(": Ready.\n") != std::string::npos; }, std::chrono::seconds(20)));

    dvrTemporaryDirectory elsewhere;
    std::string command = "cd '" + elsewhere.path() + "' && XDG_RUNTIME_DIR='" + directory.path() + "' '" + program +
                          "' --headless --no-watchdog </dev/null 2>stderr.txt";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    const std::string message = "Another program instance is already running, aborting.";
    EXPECT_NE(readFile(elsewhere.file("stderr.txt")).find(message), std::string::npos);
    EXPECT_NE(readFile(elsewhere.file("mirdal.log")).find(message), std::string::npos);
    EXPECT_EQ(readFile(elsewhere.file("mirdal.log")).find("Starting up..."), std::string::npos);

    first.send("quit\n");
    EXPECT_TRUE(WIFEXITED(first.waitForEnd(std::chrono::seconds(20))));
}

TEST(dvrRecorderLifecycleTest, AHungMainLoopIsKilledAndTheWatchdogProgramStartsTheRecorderAgain) {
    dvrTemporaryDirectory directory;
    directory.write("settings.mrd", "set global global swwatchdog int 1\n");
    ASSERT_EQ(mkfifo(directory.file("hang").c_str(), 0600), 0);
    Recorder recorder(directory, {"--headless", "--main-loop-timeout", "5"});
    ASSERT_TRUE(waitFor([&] { return recorder.log().find(": Ready.\n") != std::string::npos; },
                        std::chrono::seconds(20)));
    // Opening a pipe nobody writes blocks the main thread: the recorder hangs.
    recorder.send("run hang\n");

    int status = recorder.waitForEnd(std::chrono::seconds(40));
    ASSERT_NE(status, -1) << "the hung recorder was not ended\n" << recorder.log();
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_NE(recorder.log().find("Failure detected (module main loop)! Waiting for restart..."), std::string::npos);
    EXPECT_NE(readFile(directory.file("__poll")), "die");

    // mirdal-watchdog starts it again in the same directory: a second start-up reaches "Ready.".
    EXPECT_TRUE(waitFor([&] { return occurrences(recorder.log(), ": Ready.\n") >= 2; }, std::chrono::seconds(40)))
        << recorder.log() << readFile(directory.file("mirdal-watchdog.log"));
    EXPECT_NE(readFile(directory.file("mirdal-watchdog.log")).find("restarting"), std::string::npos);
}

} // namespace
