#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// One parsed command line: a command word and up to eight arguments.
class dvrCommand {
public:
    static constexpr std::size_t maximumArguments = 8;
    static constexpr std::size_t maximumWordLength = 31;
    static constexpr std::size_t maximumArgumentLength = 511;

    // Splits a line at spaces. "set" keeps everything after its fourth argument as the value,
    // "addrulenode" everything after its fifth, "run" and "savesettings" everything after the
    // word as their path; other lines are cut after the eighth argument.
    // A word or argument that does not fit its field makes the command invalid; it is never
    // truncated into a different command.
    static dvrCommand parse(std::string_view line);

    int argumentCount() const { return argumentCount_; }
    const std::string& word() const { return word_; }
    // The argument at index (0-based); "" past the argument count.
    const std::string& argument(std::size_t index) const;
    bool isWord(std::string_view word) const;

    bool isValid() const { return problem_.empty(); }
    // Why the line was refused, naming the command; empty for a valid command.
    const std::string& problem() const { return problem_; }

private:
    int argumentCount_ = 0;
    std::string word_;
    std::array<std::string, maximumArguments> arguments_;
    std::string problem_;
};
