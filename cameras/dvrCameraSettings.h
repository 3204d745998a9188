#pragma once

class dvrSettingSet;

// Declares the settings every camera has, in editor order, with their defaults.
class dvrCameraSettings {
public:
    // framerateCeiling is the highest frame rate of the camera's video standard (25 or 30).
    static void declare(dvrSettingSet& settings, int framerateCeiling);
};
