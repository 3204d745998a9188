#include <gtest/gtest.h>

#include "dvrBoardContainer.h"
#include "dvrCameraContainer.h"
#include "dvrCapturedLog.h"
#include "dvrDeviceKinds.h"
#include "network/dvrBoard_http.h"
#include "network/dvrCamera_network.h"

TEST(dvrNetworkCameraKindsTest, TheBuildOffersTheNetworkBoardAndItsCameras) {
    dvrCapturedLog log;
    dvrBoardContainer boards;
    dvrCameraContainer cameras;
    dvrDeviceKinds::registerAll(boards, cameras);
    ASSERT_EQ(boards.addBoard("network", "Street"), 1);
    dvrBoard* board = boards.findBoard("Street");
    ASSERT_NE(dynamic_cast<dvrBoard_http*>(board), nullptr);
    EXPECT_EQ(board->getTypeName(), "Network");
    ASSERT_EQ(cameras.addCamera(board->getCameraType(7), 7, "Corner", board), 1);
    EXPECT_EQ(cameras.addCamera(board->getCameraType(8), 8, "Outside", board), 0) << "eight inputs";
    EXPECT_NE(dynamic_cast<dvrCamera_network*>(cameras.findCamera("Corner")), nullptr);
    cameras.deleteAll();
}
