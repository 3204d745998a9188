#pragma once

#include <functional>
#include <string>
#include <vector>

// Where the configuration writer gets the objects it saves besides the global settings. The
// owners (the core engine for boards, cameras and users, the rule set, the languages) register a
// lister when they are created and remove it (an empty function) when they go; a section without
// a lister is saved empty.
class dvrConfigurationSections {
public:
    struct Board {
        std::string typeName;
        std::string name;
        std::string settings; // the lines of the board's settings set
    };
    // Cameras of remote recorders are left out by the lister, after each camera has brought its
    // settings up to date.
    struct Camera {
        std::string boardName;
        int input = 0; // 0-based
        std::string name;
        int frameRate = 0;
        std::string settings;
    };
    struct User {
        std::string login;
        std::string scrambledPassword;
        std::string settings;
    };

    using BoardLister = std::function<std::vector<Board>()>;
    using CameraLister = std::function<std::vector<Camera>()>;
    using UserLister = std::function<std::vector<User>()>;
    using RulesWriter = std::function<std::string()>;
    // The canonical name of the current language, or "default" for the system language.
    using LanguageNamer = std::function<std::string()>;

    static void setBoards(BoardLister lister);
    static void setCameras(CameraLister lister);
    static void setUsers(UserLister lister);
    static void setRules(RulesWriter writer);
    static void setLanguageName(LanguageNamer namer);

    // Snapshots, taken at the moment of the call.
    static std::vector<Board> boards();
    static std::vector<Camera> cameras();
    static std::vector<User> users();
    static std::string rules();
    static std::string languageName();
};
