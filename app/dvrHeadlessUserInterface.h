#pragma once

#include <string>

#include "dialog/dvrUserInterface.h"

// Dialogs without windows: what a dialog would show goes to the log and, as one line, to an
// error output (standard error in the program). Questions get the safe answer, lists the
// suggested items, file dialogs are cancelled.
class dvrHeadlessUserInterface : public dvrUserInterface {
public:
    explicit dvrHeadlessUserInterface(int errorDescriptor);

    void showMessage(const std::string& title, const std::string& text, Icon icon) override;
    Answer ask(const std::string& title, const std::string& question, Buttons buttons,
               Answer safeAnswer) override;
    std::optional<ChosenFile> chooseFile(const std::string& title, const std::string& wildcard,
                                         bool forSaving) override;
    std::vector<int> chooseItems(const std::string& title, const std::vector<std::string>& items,
                                 const std::vector<int>& suggested) override;
    void beginProgress(const std::string& title, const std::string& text) override;
    void updateProgress(int percent) override;
    void updateProgress(int percent, const std::string& text) override;
    void endProgress() override;

private:
    void tell(const std::string& title, const std::string& text);

    int errorDescriptor_;
};
