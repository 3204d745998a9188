#include "console/dvrCommand.h"

#include <vector>

#include "language/dvrTranslation.h"
#include "text/dvrText.h"

namespace {
const std::string emptyText;

// Number of complete tokens (word included) after which the rest of the line is one value.
// "Run" and "SaveSettings" take a path, and paths may contain spaces.
std::size_t tokensBeforeLongValue(std::string_view word) {
    if (dvrText::equalsIgnoringCase(word, "run") || dvrText::equalsIgnoringCase(word, "savesettings"))
        return 1;
    if (dvrText::equalsIgnoringCase(word, "set"))
        return 5;
    if (dvrText::equalsIgnoringCase(word, "addrulenode"))
        return 6;
    return 0;
}
} // namespace

dvrCommand dvrCommand::parse(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    std::size_t longValueAfter = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ' ')
            continue;
        if (i < line.size() && longValueAfter != 0 && tokens.size() == longValueAfter)
            continue;
        tokens.push_back(line.substr(start, i - start));
        start = i + 1;
        if (tokens.size() == 1)
            longValueAfter = tokensBeforeLongValue(tokens[0]);
        if (tokens.size() == maximumArguments + 1)
            break;
    }

    dvrCommand command;
    command.argumentCount_ = static_cast<int>(tokens.size()) - 1;
    std::string_view word = tokens[0];
    if (word.size() > maximumWordLength) {
        command.word_ = dvrText::cut(word, maximumWordLength);
        command.problem_ = dvrText::singleLine(command.word_) + "...: " +
                           dvrTranslation::translate("command word too long, line ignored.");
        command.argumentCount_ = 0;
        return command;
    }
    command.word_ = std::string(word);
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        if (tokens[i].size() > maximumArgumentLength) {
            command.problem_ = dvrText::singleLine(command.word_) + ": " +
                               dvrTranslation::translate("parameter too long, line ignored.");
            command.argumentCount_ = 0;
            command.arguments_ = {};
            return command;
        }
        command.arguments_[i - 1] = std::string(tokens[i]);
    }
    return command;
}

const std::string& dvrCommand::argument(std::size_t index) const {
    return index < arguments_.size() ? arguments_[index] : emptyText;
}

bool dvrCommand::isWord(std::string_view word) const { return dvrText::equalsIgnoringCase(word_, word); }
