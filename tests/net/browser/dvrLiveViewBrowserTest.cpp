#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "dvrDecodedPicture.h"
#include "dvrHTTPExchange.h"
#include "dvrRawSocket.h"
#include "dvrRecorderProcess.h"
#include "dvrTemporaryDirectory.h"

// A browser opens the live page of the headless demo recorder (simulated capture card, four
// cameras) and shows every camera's picture.
namespace {

std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[65536];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        text.append(buffer, got);
    pclose(pipe);
    return text;
}

std::string browserProgram() {
    for (const char* name : {"chromium", "chromium-browser"}) {
        std::string path = output(std::string("command -v ") + name + " 2>/dev/null");
        if (!path.empty())
            return path.substr(0, path.find('\n'));
    }
    return "";
}

// The headless recorder in its own directory; "quit" on its standard input ends it.
class DemoRecorder {
public:
    explicit DemoRecorder(const dvrTemporaryDirectory& directory)
        : process_(MIRDAL_PROGRAM, directory.path(), {"--headless", "--no-watchdog"}, "output.txt") {}
    ~DemoRecorder() {
        process_.send("quit\n");
        process_.closeInput();
        process_.waitForEnd(std::chrono::seconds(30));
    }

private:
    dvrRecorderProcess process_;
};

TEST(dvrLiveViewBrowserTest, TheLivePageShowsEveryCameraOfTheDemoRecorder) {
    const std::string browser = browserProgram();
    if (browser.empty())
        GTEST_SKIP() << "chromium is not installed; scripts/install-packages.sh installs it";

    dvrTemporaryDirectory directory;
    int port;
    {
        dvrRawSocket probe = dvrRawSocket::listenOnLoopback();
        port = probe.port();
    }
    const std::string resources = MIRDAL_RESOURCE_DIRECTORY;
    std::string settings = readFile(resources + "/demo/settings.mrd");
    ASSERT_NE(settings.find("addcard httpserver"), std::string::npos) << "the demo has no snapshot server";
    settings = std::regex_replace(settings, std::regex("HTTPServer port int [0-9]+"),
                                  "HTTPServer port int " + std::to_string(port));
    directory.write("settings.mrd", settings);
    directory.write("mirdal.drv", readFile(resources + "/demo/mirdal.drv"));
    std::filesystem::copy(resources + "/html", directory.file("html"), std::filesystem::copy_options::recursive);

    DemoRecorder recorder(directory);
    // Every camera has a picture before the browser comes.
    const std::string cameras[] = {"/camera/1", "/camera/2", "/camera/3", "/camera/4"};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool ready = false;
    while (!ready && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ready = true;
        for (const std::string& camera : cameras) {
            try {
                ready = ready && dvrHTTPExchange::get(port, camera).status == 200;
            } catch (const std::runtime_error&) {
                ready = false;
            }
        }
    }
    ASSERT_TRUE(ready) << readFile(directory.file("output.txt"));

    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
    const std::string common = "'" + browser + "' --headless --no-sandbox --disable-gpu --hide-scrollbars "
                               "--user-data-dir='" + directory.file("browser") + "' --window-size=1100,700 "
                               "--virtual-time-budget=8000 ";
    // The page counts the cameras it found and marks each picture that has loaded.
    std::string page = output(common + "--dump-dom " + url + " 2>/dev/null");
    EXPECT_NE(page.find("data-cameras=\"4\""), std::string::npos) << page;
    std::size_t loaded = 0;
    for (std::size_t at = page.find("data-loaded=\"1\""); at != std::string::npos;
         at = page.find("data-loaded=\"1\"", at + 1))
        ++loaded;
    EXPECT_EQ(loaded, 4u) << page;

    // The screenshot stays with the build as the test's artefact.
    std::filesystem::create_directories(MIRDAL_ARTEFACT_DIRECTORY);
    const std::string screenshot = std::string(MIRDAL_ARTEFACT_DIRECTORY) + "/live-view.png";
    std::filesystem::remove(screenshot);
    output(common + "--screenshot='" + screenshot + "' " + url + " 2>/dev/null");
    dvrDecodedPicture picture;
    ASSERT_TRUE(picture.decodePng(readFile(screenshot))) << screenshot;
    EXPECT_EQ(picture.width, 1100);
    EXPECT_EQ(picture.height, 700);
    // The four pictures cover most of the page; the page's own background is dark grey.
    std::size_t covered = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            std::vector<int> pixel = picture.pixel(x, y);
            if (std::abs(pixel[0] - 0x15) + std::abs(pixel[1] - 0x18) + std::abs(pixel[2] - 0x1c) > 24)
                ++covered;
        }
    EXPECT_GT(covered, static_cast<std::size_t>(picture.width) * picture.height / 2) << screenshot;
}

} // namespace
