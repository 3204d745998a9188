#pragma once

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "dvrCamera.h"

class dvrBoard;

// Creates cameras by camera type number, keeps them in insertion order, initialises, starts and
// stops them. Camera kinds register themselves in the kind table.
class dvrCameraContainer {
public:
    using Factory = std::function<std::unique_ptr<dvrCamera>(dvrBoard* board)>;
    static constexpr std::size_t maximumNameLength = 31;

    static void registerKind(int cameraType, Factory factory);
    static void unregisterKind(int cameraType);

    dvrCameraContainer() = default;
    ~dvrCameraContainer();
    dvrCameraContainer(const dvrCameraContainer&) = delete;
    dvrCameraContainer& operator=(const dvrCameraContainer&) = delete;

    int addCamera(int cameraType, int input, std::string_view name, dvrBoard* board);
    bool initAll();
    bool startAll();
    bool stopAll();
    std::vector<dvrCamera*> cameras() const;
    std::vector<dvrCamera*> camerasOf(const dvrBoard* board) const;
    std::size_t count() const { return cameras_.size(); }
    // The camera with exactly that name (case-insensitive); else the first whose name contains it.
    dvrCamera* findCamera(std::string_view name) const;
    // Board ID -1 matches cameras without a board.
    dvrCamera* findCameraAt(int boardId, int input) const;
    bool deleteCamera(std::string_view name);
    bool deleteCamera(const dvrCamera* camera);
    bool deleteAll();

private:
    std::vector<std::unique_ptr<dvrCamera>> cameras_;
};
