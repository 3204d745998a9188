#pragma once

#include <string>

#include "dialog/dvrUserInterface.h"

// Dialogs without windows: what a dialog would show goes to the log and, as one line, to an
// error output (standard error in the program). Questions get the safe answer, file dialogs are
// cancelled.
class dvrHeadlessUserInterface : public dvrUserInterface {
public:
    explicit dvrHeadlessUserInterface(int errorDescriptor);

    void showMessage(const std::string& title, const std::string& text, Icon icon) override;
    Answer ask(const std::string& title, const std::string& question, Buttons buttons,
               Answer safeAnswer) override;
    std::optional<ChosenFile> chooseFile(const std::string& title, const std::string& wildcard,
                                         bool forSaving) override;
    void beginProgress(const std::string& title, const std::string& text) override;
    void updateProgress(int percent) override;
    void updateProgress(int percent, const std::string& text) override;
    void endProgress() override;

private:
    void tell(const std::string& title, const std::string& text);

    int errorDescriptor_;
};
