#include "dvrScriptedUserInterface.h"

void dvrScriptedUserInterface::showMessage(const std::string&, const std::string& text, Icon icon) {
    events.push_back(std::string("message ") +
                     (icon == Icon::warning ? "warning "
                      : icon == Icon::error ? "error "
                                            : "information ") +
                     text);
}

dvrUserInterface::Answer dvrScriptedUserInterface::ask(const std::string&, const std::string& question,
                                                       Buttons buttons, Answer safeAnswer) {
    questions.push_back({question, buttons, safeAnswer});
    if (answers.empty())
        return safeAnswer;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<dvrUserInterface::ChosenFile>
dvrScriptedUserInterface::chooseFile(const std::string& title, const std::string& wildcard, bool forSaving) {
    events.push_back("file " + title + " " + wildcard + (forSaving ? " save" : " open"));
    if (files.empty())
        return std::nullopt;
    auto file = files.front();
    files.pop_front();
    return file;
}

std::vector<int> dvrScriptedUserInterface::chooseItems(const std::string& title, const std::vector<std::string>& items,
                                                       const std::vector<int>& suggested) {
    std::string list;
    for (const std::string& item : items)
        list += (list.empty() ? "" : "|") + item;
    events.push_back("choose " + title + " " + list);
    if (choices.empty())
        return suggested;
    std::vector<int> chosen = choices.front();
    choices.pop_front();
    return chosen;
}

void dvrScriptedUserInterface::beginProgress(const std::string&, const std::string& text) {
    events.push_back("progress " + text);
}

void dvrScriptedUserInterface::updateProgress(int percent) {
    events.push_back("progress " + std::to_string(percent));
}

void dvrScriptedUserInterface::endProgress() {
    events.push_back("progress end");
}
