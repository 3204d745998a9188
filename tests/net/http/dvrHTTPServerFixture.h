#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "dvrPatternCamera.h"
#include "dvrTemporaryDirectory.h"
#include "http/dvrBoard_httpServer.h"
#include "settings/dvrSettingSet.h"

// A running snapshot server on 127.0.0.1 with a free port, over a page directory in a temporary
// directory and the cameras of a pattern board: camera 1 is 352x288 UYVY (red | blue), camera 2
// 640x480 RGB (green | white), camera 3 belongs to access group 1.
class dvrHTTPServerFixture : public ::testing::Test {
protected:
    static constexpr dvrPatternCamera::Colour red{220, 20, 20}, blue{20, 20, 220}, green{20, 200, 20},
        white{255, 255, 255};

    void SetUp() override {
        std::filesystem::create_directories(pages());
        for (int i = 0; i < 3; ++i) {
            auto camera = std::make_unique<dvrPatternCamera>(&board);
            ASSERT_TRUE(camera->attach(i));
            camera->setName("pattern" + std::to_string(i + 1));
            cameras.push_back(std::move(camera));
        }
        cameras[1]->getSettings()->setInt("resolution", 1);
        cameras[1]->getSettings()->setInt("format", 3);
        cameras[2]->getSettings()->setInt("group", 1);
        for (auto& camera : cameras)
            ASSERT_TRUE(camera->init());
        cameras[0]->paint(red, blue);
        cameras[1]->paint(green, white);
        cameras[2]->paint(red, red);
        server = std::make_unique<dvrBoard_httpServer>(
            [this] {
                std::vector<dvrCamera*> list;
                for (auto& camera : cameras)
                    list.push_back(camera.get());
                return list;
            },
            pages());
        server->getSettings()->setInt("port", 0);
        server->getSettings()->setText("address", "127.0.0.1");
        ASSERT_TRUE(server->start());
        port = server->listeningPort();
        ASSERT_GT(port, 0);
    }

    void TearDown() override {
        server.reset();
        cameras.clear();
    }

    std::string pages() const { return directory.path() + "/html"; }

    dvrTemporaryDirectory directory;
    dvrPatternBoard board;
    std::vector<std::unique_ptr<dvrPatternCamera>> cameras;
    std::unique_ptr<dvrBoard_httpServer> server;
    int port = 0;
};
