#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "dvrRuleStates.h"

class dvrBoard;
class dvrBoardContainer;
class dvrCamera;
class dvrCameraContainer;
class dvrCommand;
class dvrConsole;
class dvrLoginPrompt;
class dvrRuleEvaluation;
class dvrUserList;

// The core engine: owns the boards, the cameras and the users, knows whether capture runs, and
// carries out the device, camera and capture commands and the periodic refresh.
class dvrCore {
public:
    // Longest board or camera name; the settings lines written for an object carry its name in
    // a field of this width.
    static constexpr std::size_t maximumNameLength = 31;

    // The process-wide core: null before create and after destroy. destroy shuts it down first.
    static dvrCore* instance();
    static dvrCore* create();
    static void destroy();

    dvrCore();
    ~dvrCore();
    dvrCore(const dvrCore&) = delete;
    dvrCore& operator=(const dvrCore&) = delete;

    // Gives the console the handlers of the words the core owns, the user words included.
    void registerCommands(dvrConsole& console);
    // Makes this core the source of the boards, cameras and users the configuration saves.
    void registerConfigurationSections();

    int addCard(const dvrCommand& command);
    int delCard(const dvrCommand& command);
    int delCards(const dvrCommand& command);
    int addCamera(const dvrCommand& command);
    int delCamera(const dvrCommand& command);
    int delCameras(const dvrCommand& command);
    int dome(const dvrCommand& command);
    int start();
    int stop();
    int refresh();

    dvrBoard* findBoard(std::string_view name) const;
    dvrCamera* findCamera(std::string_view name) const;
    dvrCamera* findCameraAt(int boardId, int input) const;
    int countBoards(std::string_view typeName) const;
    bool isCapturing() const { return capturing_; }

    dvrBoardContainer& boards() { return *boards_; }
    dvrCameraContainer& cameras() { return *cameras_; }
    dvrUserList& users() { return *users_; }

    bool hasRight(std::string_view key) const;
    bool checkRight(dvrLoginPrompt& prompt, std::string_view key);
    bool accessGroupAllows(std::string_view cameraName) const;

    // The rule set, once it exists; the refresh evaluates it.
    void setRuleEvaluation(dvrRuleEvaluation* rules) { rules_ = rules; }
    // How the user interface switches tooltips on and off.
    void setTooltipSwitch(std::function<void(bool)> tooltipSwitch) { tooltipSwitch_ = std::move(tooltipSwitch); }

    // Stops capture, deletes the unique boards, then every camera, board and user.
    void shutDown();

private:
    void restart();

    std::unique_ptr<dvrBoardContainer> boards_;
    std::unique_ptr<dvrCameraContainer> cameras_;
    std::unique_ptr<dvrUserList> users_;
    bool sectionsRegistered_ = false;
    bool scopesRegistered_ = false;
    bool capturing_ = false;
    int rememberedTooltips_ = 0;
    std::function<void(bool)> tooltipSwitch_;
    dvrRuleEvaluation* rules_ = nullptr;
    dvrRuleStates ruleStates_;
};
