#include "dvrDeviceKinds.h"

#include "dvrBoardContainer.h"
#include "dvrCameraContainer.h"

void dvrDeviceKinds::registerAll(dvrBoardContainer& boards, dvrCameraContainer& cameras) {
    // One line per kind; a kind that is not registered is refused with the container's message.
    (void)boards;
    (void)cameras;
}
