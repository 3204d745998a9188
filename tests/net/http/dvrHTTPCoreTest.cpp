#include <gtest/gtest.h>

#include "console/dvrConsole.h"
#include "dvrBoardContainer.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrCore.h"
#include "dvrHTTPExchange.h"
#include "dvrPatternCamera.h"
#include "http/dvrBoard_httpServer.h"
#include "settings/dvrGlobalSettings.h"

namespace {

// The snapshot server as the core runs it: added by its type word, started with capture, serving
// the core's cameras while they are added and deleted.
class dvrHTTPCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dvrBoardContainer::registerKind("pattern", [] { return std::make_unique<dvrPatternBoard>(); });
        dvrCameraContainer::registerKind(dvrPatternBoard::cameraType,
                                         [](dvrBoard* board) { return std::make_unique<dvrPatternCamera>(board); });
        console = dvrConsole::create();
        dvrGlobalSettings::create();
        dvrGlobalSettings::applyDefaults();
        core = dvrCore::create();
        core->registerCommands(*console);
        console->run("addcard pattern P");
        console->run("addcamera P 0 Gate");
        console->run("addcamera P 1 Yard");
        ASSERT_EQ(console->run("addcard httpserver HTTPServer"), 1);
        console->run("set board HTTPServer port int 0");
        console->run("set board HTTPServer address string 127.0.0.1");
    }
    void TearDown() override {
        dvrCore::destroy();
        dvrGlobalSettings::destroy();
        dvrConsole::destroy();
        dvrBoardContainer::unregisterKind("pattern");
        dvrCameraContainer::unregisterKind(dvrPatternBoard::cameraType);
    }

    int port() const {
        auto* server = dynamic_cast<dvrBoard_httpServer*>(core->findBoard("HTTPServer"));
        return server ? server->listeningPort() : 0;
    }
    void paint(const char* name) {
        static_cast<dvrPatternCamera*>(core->findCamera(name))->paint({200, 0, 0}, {0, 0, 200});
    }

    dvrCapturedLog log;
    dvrConsole* console = nullptr;
    dvrCore* core = nullptr;
};

TEST_F(dvrHTTPCoreTest, OnlyOneServerBoardExists) {
    EXPECT_EQ(console->run("addcard httpserver Second"), 0);
    EXPECT_TRUE(log.contains("Cannot add 2 or more boards of type `httpserver'"));
    EXPECT_EQ(core->findBoard("HTTPServer")->getTypeName(), "httpserver");
}

TEST_F(dvrHTTPCoreTest, ServesTheCoreCamerasWhileCaptureRuns) {
    EXPECT_EQ(port(), 0);
    ASSERT_EQ(console->run("start"), 1);
    ASSERT_GT(port(), 0);
    paint("Gate");
    paint("Yard");
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/2").status, 200);
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/3").body, "[HTTP] Error: Invalid camera.\r\n");

    // A camera added while capture runs appears with the next refresh.
    console->run("addcamera P 2 Door");
    paint("Door");
    console->run("refresh");
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/3").status, 200);

    // A deleted one is gone at once; the numbers close up at the next refresh.
    console->run("delcamera Gate");
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/1").body, "[HTTP] Error: Camera not found.\r\n");
    console->run("refresh");
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/1").status, 200);
    EXPECT_EQ(dvrHTTPExchange::get(port(), "/camera/3").body, "[HTTP] Error: Invalid camera.\r\n");

    console->run("stop");
    EXPECT_EQ(port(), 0);
}

} // namespace
