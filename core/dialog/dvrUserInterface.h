#pragma once

#include <optional>
#include <string>
#include <vector>

// The dialogs and message boxes the core needs from whoever talks to the user. The desktop
// program implements it with windows; the headless recorder with log lines and standard error,
// answering every question with the safe answer the caller names.
class dvrUserInterface {
public:
    enum class Icon { information, warning, error };
    enum class Buttons { ok, okCancel, yesNo, yesNoCancel };
    enum class Answer { ok, cancel, yes, no };

    struct ChosenFile {
        std::string directory;
        std::string name;
        // directory, "/" and name.
        std::string path() const { return directory + "/" + name; }
    };

    virtual ~dvrUserInterface() = default;

    virtual void showMessage(const std::string& title, const std::string& text, Icon icon) = 0;
    // safeAnswer is the answer that changes nothing; it must be one the buttons offer.
    virtual Answer ask(const std::string& title, const std::string& question, Buttons buttons,
                       Answer safeAnswer) = 0;
    // A file chosen in an open or save dialog; nothing when cancelled. wildcard is in the
    // "Description (*.ext)|*.ext" form.
    virtual std::optional<ChosenFile> chooseFile(const std::string& title, const std::string& wildcard,
                                                 bool forSaving) = 0;
    // The items chosen in a multiple-choice list, as indexes in ascending order; suggested is
    // what a user who only confirms the list gets. Empty when cancelled.
    virtual std::vector<int> chooseItems(const std::string& title, const std::vector<std::string>& items,
                                         const std::vector<int>& suggested) = 0;
    // A progress dialog: begin, any number of updates (0 to 100), end.
    virtual void beginProgress(const std::string& title, const std::string& text) = 0;
    virtual void updateProgress(int percent) = 0;
    // A progress step with a new text (start-up and shut-down steps).
    virtual void updateProgress(int percent, const std::string& text) { (void)text, updateProgress(percent); }
    virtual void endProgress() = 0;

    // The process-wide user interface: null when none is installed. The caller keeps ownership.
    static dvrUserInterface* instance();
    static void install(dvrUserInterface* userInterface);
};
