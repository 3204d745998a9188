#pragma once

class dvrBoardContainer;
class dvrCameraContainer;

// The board and camera kinds this build offers, by type word and camera type.
class dvrDeviceKinds {
public:
    static void registerAll(dvrBoardContainer& boards, dvrCameraContainer& cameras);
};
