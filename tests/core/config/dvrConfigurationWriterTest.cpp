#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "config/dvrAtomicFile.h"
#include "config/dvrConfigurationSections.h"
#include "config/dvrConfigurationWriter.h"
#include "config/dvrLocaleReader.h"
#include "console/dvrConsole.h"
#include "dvrCapturedLog.h"
#include "dvrTemporaryDirectory.h"
#include "dvrTestCatalogue.h"
#include "settings/dvrGlobalSettings.h"
#include "settings/dvrSettingSet.h"

namespace {

// Names of files in directory that a save left behind.
std::vector<std::string> temporaryFiles(const std::string& directory) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        std::string name = entry.path().filename().string();
        if (name.rfind(dvrAtomicFile::temporaryPrefix, 0) == 0)
            found.push_back(name);
    }
    return found;
}

class dvrConfigurationWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        console = dvrConsole::create();
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
    }
    void TearDown() override {
        dvrConfigurationSections::setBoards(nullptr);
        dvrConfigurationSections::setCameras(nullptr);
        dvrConfigurationSections::setUsers(nullptr);
        dvrConfigurationSections::setRules(nullptr);
        dvrConfigurationSections::setLanguageName(nullptr);
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
    }
    std::string globalLines() {
        std::string lines;
        dvrGlobalSettings::instance()->writeSettings(lines);
        return lines;
    }

    dvrTemporaryDirectory directory;
    dvrCapturedLog log;
    dvrConsole* console = nullptr;
};

TEST_F(dvrConfigurationWriterTest, SavedGlobalSettingsMatchTheGoldenFile) {
    console->run("set global global customer string Site A, north gate");
    console->run("set global global savemode int 2");
    console->run("set global global keyinterval int 3");
    std::filesystem::create_directory(directory.file("settings dir"));
    std::string path = directory.file("settings dir/saved settings.mrd");

    EXPECT_EQ(console->run("SaveSettings " + path), 1);
    EXPECT_EQ(readFile(path), readFile(std::string(MIRDAL_TEST_DATA) + "/golden/global-settings.mrd"));
    EXPECT_EQ(dvrLocaleReader::languageName(path), "default");
}

TEST_F(dvrConfigurationWriterTest, SectionsAreWrittenInTheirLayoutWithTranslatedTitlesKeptComments) {
    dvrGlobalSettings::destroy(); // an empty global section keeps the expected text short
    dvrTestCatalogue catalogue(
        {{"# Rules\n", "Regeln"}, {"# User settings\n", "# Benutzer\nset global global x"}});
    dvrConfigurationSections::setBoards([] {
        return std::vector<dvrConfigurationSections::Board>{{"xecap", "XeCap1", "set board XeCap1 a int 1\n"},
                                                            {"Network", "Network_1", ""}};
    });
    dvrConfigurationSections::setCameras([] {
        return std::vector<dvrConfigurationSections::Camera>{
            {"XeCap1", 0, "Gate", 6, "set camera Gate title string Front gate\n"}};
    });
    dvrConfigurationSections::setUsers([] {
        return std::vector<dvrConfigurationSections::User>{
            {"admin", "x7Kq", "set user admin pass string x7Kq\n"}};
    });
    dvrConfigurationSections::setRules([] { return std::string("addrule night\n"); });
    dvrConfigurationSections::setLanguageName([] { return std::string("fi_FI"); });

    std::string text = dvrConfigurationWriter::compose();
    std::string expected = "###### Configuration file for Mirdal DVR\n"
                           "# Written automatically by the program, please do not\n"
                           "# alter unless you really know what you're doing.\n"
                           "# In emergencies, contact your nearest support.\n"
                           "\n"
                           "# Global settings\n"
                           "\n\n\n"
                           "# Capturing board settings\n"
                           "addcard xecap XeCap1\nset board XeCap1 a int 1\n\n\n\n\n"
                           "addcard Network Network_1\n\n\n\n\n"
                           "# Camera settings\n"
                           "addcamera XeCap1 0 Gate 6\nset camera Gate title string Front gate\n\n\n\n\n"
                           "#et global global x\n" // a translation cannot smuggle in a command
                           "adduser admin x7Kq\nset user admin pass string x7Kq\n\n\n"
                           "#egeln\n"
                           "addrule night\n\n\n"
                           "# Locale setting (defines eg. what language to use)\n"
                           "set locale fi_FI a b c\n";
    // The user title is two lines after the filter.
    expected.insert(expected.find("#et global global x\n"), "# Benutzer\n");
    EXPECT_EQ(text, expected);
}

TEST_F(dvrConfigurationWriterTest, RunningTheSavedFileOnAFreshSystemRecreatesTheGlobalSettings) {
    console->run("set global global customer string  two  spaces and 100% ");
    console->run("set global global savemode int 1");
    console->run("set global global stmode int 9");
    std::string before = globalLines();
    std::string path = directory.file("round trip.mrd");
    ASSERT_EQ(console->run("savesettings " + path), 1);

    dvrGlobalSettings::destroy();
    dvrGlobalSettings::create();
    dvrGlobalSettings::applyDefaults();
    ASSERT_NE(globalLines(), before);
    EXPECT_EQ(console->run("run " + path), 1);
    EXPECT_EQ(globalLines(), before);
    EXPECT_EQ(dvrGlobalSettings::instance()->getText("customer"), " two  spaces and 100% ");
}

TEST_F(dvrConfigurationWriterTest, ReplacingAFileKeepsItsPermissionsAndLeavesNoTemporaryFile) {
    std::string path = directory.file("settings.mrd");
    directory.write("settings.mrd", "old\n");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(dvrConfigurationWriter::save(path));
    struct stat status {};
    ASSERT_EQ(stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_EQ(readFile(path), dvrConfigurationWriter::compose());
    EXPECT_TRUE(temporaryFiles(directory.path()).empty());
}

// The test runs as root, which writes through any permission bits; these are the failures that
// stop root too.
TEST_F(dvrConfigurationWriterTest, AFailedSaveLogsTheErrorAndLeavesTheOldFileIntact) {
    std::filesystem::create_directory(directory.file("a directory"));
    directory.write("settings.mrd", "old settings\n");
    const struct {
        const char* what;
        std::string path;
        bool diskFull;
    } cases[] = {
        {"directory does not exist", directory.file("missing/settings.mrd"), false},
        {"a directory is in the way", directory.file("a directory"), false},
        {"the disk fills up", directory.file("settings.mrd"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        rlimit previous{};
        if (c.diskFull) {
            // A file-size limit makes the write fail part-way, as a full disk does.
            signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &previous);
            rlimit small = previous;
            small.rlim_cur = 100;
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        int result = console->run("savesettings " + c.path);
        if (c.diskFull) {
            setrlimit(RLIMIT_FSIZE, &previous);
            signal(SIGXFSZ, SIG_DFL);
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(log.messages(),
                  std::vector<std::string>{"[CORE] Error!!! Cannot save settings to " + c.path + "!\n"});
        EXPECT_EQ(readFile(directory.file("settings.mrd")), "old settings\n");
        EXPECT_TRUE(std::filesystem::is_directory(directory.file("a directory")));
        EXPECT_TRUE(temporaryFiles(directory.path()).empty());
    }
}

TEST_F(dvrConfigurationWriterTest, AKillDuringManySavesLeavesTheOldOrTheNewFileNeverAPart) {
    // Large versions make each save take a while, so the kills land inside writes.
    const std::string oldRules = "addrule old\n" + std::string(1 << 20, '#') + "\n";
    const std::string newRules = "addrule new\n" + std::string(1 << 20, '#') + "\n";
    dvrConfigurationSections::setRules([&] { return oldRules; });
    const std::string oldText = dvrConfigurationWriter::compose();
    dvrConfigurationSections::setRules([&] { return newRules; });
    const std::string newText = dvrConfigurationWriter::compose();
    const std::string path = directory.file("settings.mrd");
    ASSERT_TRUE(dvrConfigurationWriter::save(path));

    int interruptedSaves = 0;
    for (int round = 0; round < 12; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (long i = 0;; ++i) {
                const std::string& rules = i % 2 ? oldRules : newRules;
                dvrConfigurationSections::setRules([&] { return rules; });
                dvrConfigurationWriter::save(path);
            }
        }
        // Pacing only: the check below holds whenever the kill lands.
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 9 * round));
        ASSERT_EQ(kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        std::string text = readFile(path);
        ASSERT_TRUE(text == oldText || text == newText)
            << "round " << round << ": " << text.size() << " bytes";
        for (const std::string& name : temporaryFiles(directory.path())) {
            ++interruptedSaves;
            std::filesystem::remove(directory.file(name));
        }
    }
    RecordProperty("interrupted_saves", interruptedSaves);
}

} // namespace
