#include "dvrDeviceKinds.h"

#include "dvrBoardContainer.h"
#include "dvrCameraContainer.h"
#include "http/dvrBoard_httpServer.h"
#include "network/dvrBoard_http.h"
#include "network/dvrCamera_network.h"
#include "xecap/dvrBoard_xecap.h"
#include "xecap/dvrCamera_xecap.h"

void dvrDeviceKinds::registerAll(dvrBoardContainer& boards, dvrCameraContainer& cameras) {
    // One line per kind; a kind that is not registered is refused with the container's message.
    (void)boards;
    dvrBoardContainer::registerKind("xecap", [] { return std::make_unique<dvrBoard_xecap>(); });
    dvrCameraContainer::registerKind(dvrCamera_xecap::cameraType,
                                     [](dvrBoard* board) { return std::make_unique<dvrCamera_xecap>(board); });
    // The snapshot server numbers the core's cameras in their list order.
    dvrBoardContainer::registerKind("httpserver", [&cameras] {
        return std::make_unique<dvrBoard_httpServer>([&cameras] { return cameras.cameras(); });
    });
    dvrBoardContainer::registerKind("Network", [] { return std::make_unique<dvrBoard_http>(); });
    dvrCameraContainer::registerKind(dvrCamera_network::cameraType,
                                     [](dvrBoard* board) { return std::make_unique<dvrCamera_network>(board); });
}
