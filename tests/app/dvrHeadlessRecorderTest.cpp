#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dvrCapturedLog.h"
#include "dvrHeadlessRecorder.h"
#include "dvrInProcessRecorderTest.h"
#include "dvrHeadlessUserInterface.h"
#include "dvrInputPipe.h"
#include "dvrTemporaryDirectory.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

using dvrHeadlessRecorderTest = dvrInProcessRecorderTest;

TEST_F(dvrHeadlessRecorderTest, CommandsFromTheInputReachTheGlobalSettings) {
    dvrInputPipe input;
    // A large writer would block on the pipe, so the input is written from its own thread.
    std::string longLine = "set global global customer string " + std::string(20000, 'x');
    std::thread writer([&] {
        input.write("set global global customer string Site A\r\n");
        input.write(longLine + "\n");
        input.write("set global global stmode int 9\nquit\nset global global stmode int 4\n");
        input.closeWriter();
    });
    dvrHeadlessRecorder recorder(input.reader(), inProcess());
    ASSERT_TRUE(recorder.startUp());
    EXPECT_EQ(recorder.runUntilQuit(), 0);
    writer.join();
    dvrSettingSet* settings = dvrGlobalSettings::instance();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->getText("customer"), "Site A");
    EXPECT_EQ(settings->getInt("stmode"), 9); // nothing after "quit" runs
    EXPECT_TRUE(log.contains("ignored"));
    recorder.shutDown();
    EXPECT_EQ(dvrGlobalSettings::instance(), nullptr);
}

TEST_F(dvrHeadlessRecorderTest, StartUpRunsTheSettingsScriptOverTheDefaults) {
    directory.write("settings.mrd", "set global global customer string Warehouse\nset global global keyinterval int 3\n");
    dvrInputPipe input;
    input.write("quit\n");
    dvrHeadlessRecorder recorder(input.reader(), inProcess());
    ASSERT_TRUE(recorder.startUp());
    dvrSettingSet* settings = dvrGlobalSettings::instance();
    EXPECT_EQ(settings->getText("customer"), "Warehouse");
    EXPECT_EQ(settings->getInt("keyinterval"), 3);
    EXPECT_EQ(settings->getInt("stmode"), 16); // untouched default
    EXPECT_EQ(recorder.runUntilQuit(), 0);
}

TEST_F(dvrHeadlessRecorderTest, DialogsBecomeLogLinesAndLinesOnTheErrorOutput) {
    using Answer = dvrUserInterface::Answer;
    dvrInputPipe errors;
    dvrHeadlessUserInterface userInterface(errors.writer());
    userInterface.showMessage("Mirdal DVR", "No recordings space!", dvrUserInterface::Icon::error);
    EXPECT_EQ(userInterface.ask("Mirdal DVR", "Really quit?", dvrUserInterface::Buttons::yesNo, Answer::no), Answer::no);
    EXPECT_EQ(userInterface.ask("Mirdal DVR", "Save?", dvrUserInterface::Buttons::yesNoCancel, Answer::cancel),
              Answer::cancel);
    EXPECT_FALSE(userInterface.chooseFile("Import settings", "Settings (*.mrd)|*.mrd", false));
    errors.closeWriter();

    std::string shown;
    char buffer[512];
    for (ssize_t n; (n = ::read(errors.reader(), buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<std::size_t>(n));
    EXPECT_EQ(shown, "Mirdal DVR: No recordings space!\n"
                     "Mirdal DVR: Really quit? [No]\n"
                     "Mirdal DVR: Save? [Cancel]\n"
                     "Import settings: [Cancel]\n");
    EXPECT_EQ(log.messages(), (std::vector<std::string>{"No recordings space!", "Really quit? [No]", "Save? [Cancel]",
                                                        "Import settings: [Cancel]"}));
}

// The real program, as a user runs it.
class dvrHeadlessProgramTest : public dvrHeadlessRecorderTest {
protected:
    // Each test's recorder takes its single-instance lock in the test's own directory, so it
    // never meets another recorder running on this machine.
    void SetUp() override { setenv("XDG_RUNTIME_DIR", directory.path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    std::string program = MIRDAL_PROGRAM;

    // Runs a shell command in the test's directory; the exit code.
    int shell(const std::string& command) {
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string read(const std::string& name) { return directory.read(name); }
};

// The log's lines: a time stamp, ": " and the text; texts ending in a newline leave an empty line.
void expectStampedLines(const std::string& log) {
    const std::regex stamped(R"(\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}: \S.*)");
    std::stringstream lines(log);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        EXPECT_TRUE(std::regex_match(line, stamped)) << line;
        ++count;
    }
    EXPECT_GT(count, 0);
}

TEST_F(dvrHeadlessProgramTest, PipedCommandsEndingInQuitExitCleanly) {
    std::string command =
        "printf 'set global global customer string Site A\\nquit\\n' | '" + program + "' --headless 2>/dev/null";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(dvrHeadlessProgramTest, PipedCommandsSaveTheSettingsAndLogWithTimeStamps) {
    EXPECT_EQ(shell("printf 'set global global customer string Site A\\nsavesettings out.mrd\\nquit\\n' | '" + program +
                    "' --headless 2>/dev/null"),
              0);
    std::string saved = read("out.mrd");
    EXPECT_NE(saved.find("\nset global global customer string Site A\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.rfind("set locale default a b c\n"), saved.size() - 25);

    std::string log = read("mirdal.log");
    EXPECT_NE(log.find(": [CORE] Recorder running without windows.\n\n"), std::string::npos) << log;
    expectStampedLines(log);
}

TEST_F(dvrHeadlessProgramTest, VerboseMessagesOnlyWithTheVerboseOption) {
    const struct {
        const char* options;
        bool verbose;
    } cases[] = {{"--headless", false}, {"--headless --verbose", true}};
    for (const auto& c : cases) {
        std::filesystem::remove(directory.file("mirdal.log"));
        ASSERT_EQ(shell("printf 'savesettings out.mrd\\nquit\\n' | '" + program + "' " + c.options + " 2>/dev/null"), 0);
        std::string log = read("mirdal.log");
        EXPECT_EQ(log.find("[CORE] Settings saved to out.mrd.") != std::string::npos, c.verbose) << c.options << log;
    }
}

TEST_F(dvrHeadlessProgramTest, AnUnopenableLogIsReportedAndStandardErrorTakesItsPlace) {
    std::filesystem::create_directory(directory.file("mirdal.log"));
    EXPECT_EQ(shell("printf 'savesettings missing/out.mrd\\nquit\\n' | '" + program + "' --headless 2>errors.txt"), 0);
    std::string errors = read("errors.txt");
    EXPECT_NE(errors.find("Error: Log file could not be opened!\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Recorder running without windows."), std::string::npos) << errors;
    EXPECT_NE(errors.find("Error: [CORE] Error!!! Cannot save settings to missing/out.mrd!"), std::string::npos) << errors;
}

// A child process that is killed if a test ends before it does, so no recorder outlives its test.
class ChildProcess {
public:
    explicit ChildProcess(pid_t pid) : pid_(pid) {}
    ~ChildProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    pid_t pid() const { return pid_; }
    // Waits for the end; returns the wait status.
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return status;
    }

private:
    pid_t pid_;
};

TEST_F(dvrHeadlessProgramTest, EndOfInputKeepsItRunningUntilSigterm) {
    std::string errors = directory.file("stderr.txt");
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        int nothing = open("/dev/null", O_RDONLY);
        int errorFile = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int output = open("/dev/null", O_WRONLY);
        dup2(nothing, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(errorFile, STDERR_FILENO);
        execl(program.c_str(), program.c_str(), "--headless", static_cast<char*>(nullptr));
        _exit(127);
    }
    ChildProcess child(pid);
    auto output = [&] {
        std::string text;
        for (const std::string& file : {errors, directory.file("mirdal.log")}) {
            std::ifstream in(file);
            std::stringstream contents;
            contents << in.rdbuf();
            text += contents.str();
        }
        return text;
    };
    // Wait (bounded) until start-up is over and standard input has been read to its end.
    for (int i = 0; i < 1000 && output().find("Recorder running") == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(output().find("Recorder running"), std::string::npos) << output();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    int status = 0;
    ASSERT_EQ(waitpid(child.pid(), &status, WNOHANG), 0) << "the recorder stopped at end of input";

    ASSERT_EQ(kill(child.pid(), SIGTERM), 0);
    status = child.wait();
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of shutting down";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(dvrHeadlessProgramTest, UnknownOptionIsAnError) {
    std::string command = "'" + program + "' --bogus </dev/null >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

} // namespace
