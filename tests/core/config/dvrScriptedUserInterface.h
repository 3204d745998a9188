#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dvrUserInterface.h"

// The user, played by a test: answers and chosen files come from queues, and everything shown
// is recorded in order.
class dvrScriptedUserInterface : public dvrUserInterface {
public:
    struct Question {
        std::string text;
        Buttons buttons;
        Answer safeAnswer;
    };

    void showMessage(const std::string& title, const std::string& text, Icon icon) override;
    Answer ask(const std::string& title, const std::string& question, Buttons buttons,
               Answer safeAnswer) override;
    std::optional<ChosenFile> chooseFile(const std::string& title, const std::string& wildcard,
                                         bool forSaving) override;
    std::vector<int> chooseItems(const std::string& title, const std::vector<std::string>& items,
                                 const std::vector<int>& suggested) override;
    void beginProgress(const std::string& title, const std::string& text) override;
    void updateProgress(int percent) override;
    void endProgress() override;

    std::deque<Answer> answers;
    std::deque<std::optional<ChosenFile>> files;
    // Chosen items; when empty the suggested ones are chosen.
    std::deque<std::vector<int>> choices;

    std::vector<Question> questions;
    // "message <icon> <text>", "file <title> <wildcard> save|open", "choose <title> <items, |-separated>", "progress <text>",
    // "progress <percent>", "progress end".
    std::vector<std::string> events;
};
