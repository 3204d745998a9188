#include "dvrHeadlessUserInterface.h"

#include <cerrno>
#include <unistd.h>

#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "text/dvrText.h"

namespace {
const char* answerWord(dvrUserInterface::Answer answer) {
    switch (answer) {
    case dvrUserInterface::Answer::ok:
        return "OK";
    case dvrUserInterface::Answer::yes:
        return "Yes";
    case dvrUserInterface::Answer::no:
        return "No";
    case dvrUserInterface::Answer::cancel:
        break;
    }
    return "Cancel";
}
} // namespace

dvrHeadlessUserInterface::dvrHeadlessUserInterface(int errorDescriptor) : errorDescriptor_(errorDescriptor) {}

void dvrHeadlessUserInterface::tell(const std::string& title, const std::string& text) {
    std::string line = title + ": " + text;
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    std::size_t done = 0;
    while (done < line.size()) {
        ssize_t written = ::write(errorDescriptor_, line.data() + done, line.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        done += static_cast<std::size_t>(written);
    }
}

void dvrHeadlessUserInterface::showMessage(const std::string& title, const std::string& text, Icon icon) {
    // The texts are data here: they are inserted, never used as formats.
    if (icon == Icon::error)
        logError("%s", text.c_str());
    else if (icon == Icon::warning)
        logWarning("%s", text.c_str());
    else
        logMessage("%s", text.c_str());
    tell(title, text);
}

dvrUserInterface::Answer dvrHeadlessUserInterface::ask(const std::string& title, const std::string& question,
                                                       Buttons, Answer safeAnswer) {
    // A question becomes one log line, however many lines its dialog would show.
    std::string text = dvrText::singleLine(question) + " [" + dvrTranslation::translate(answerWord(safeAnswer)) + "]";
    logMessage("%s", text.c_str());
    tell(title, text);
    return safeAnswer;
}

std::vector<int> dvrHeadlessUserInterface::chooseItems(const std::string& title, const std::vector<std::string>& items,
                                                        const std::vector<int>& suggested) {
    std::vector<int> chosen;
    std::string text;
    for (int index : suggested) {
        if (index < 0 || index >= static_cast<int>(items.size()))
            continue;
        chosen.push_back(index);
        text += (text.empty() ? "" : ", ") + dvrText::singleLine(items[static_cast<std::size_t>(index)]);
    }
    text = "[" + text + "]";
    logMessage("%s: %s", title.c_str(), text.c_str());
    tell(title, text);
    return chosen;
}

std::optional<dvrUserInterface::ChosenFile> dvrHeadlessUserInterface::chooseFile(const std::string& title,
                                                                                 const std::string&, bool) {
    std::string text = dvrTranslation::translate("[Cancel]");
    logMessage("%s: %s", title.c_str(), text.c_str());
    tell(title, text);
    return std::nullopt;
}

void dvrHeadlessUserInterface::beginProgress(const std::string& title, const std::string& text) {
    logMessage("%s", text.c_str());
    tell(title, text);
}

void dvrHeadlessUserInterface::updateProgress(int) {}

// Start-up and shut-down steps are kept in the log, where an operator looks for them.
void dvrHeadlessUserInterface::updateProgress(int, const std::string& text) {
    if (!text.empty())
        logMessage("%s", text.c_str());
}

void dvrHeadlessUserInterface::endProgress() {}
