#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "console/dvrCommand.h"

// Parses command lines and dispatches them by their first word to the part of the system that
// owns the word; keeps the queue of commands that other threads post for the next refresh.
class dvrConsole {
public:
    using Handler = std::function<int(const dvrCommand&)>;

    // Deepest nesting of "run" scripts; a script that runs itself stops there.
    static constexpr int maximumScriptDepth = 16;
    // Longest script line; longer lines are refused whole.
    static constexpr std::size_t maximumScriptLineLength = 1022;
    // Most commands waiting in the queue; posts beyond it are refused.
    static constexpr std::size_t maximumQueuedCommands = 10000;

    // The process-wide console: null before create and after destroy.
    static dvrConsole* instance();
    static dvrConsole* create();
    static void destroy();

    dvrConsole();
    dvrConsole(const dvrConsole&) = delete;
    dvrConsole& operator=(const dvrConsole&) = delete;

    // Gives a command word of the table its handler (replacing any earlier one). Fails for a
    // word that is not in the table.
    bool setHandler(std::string_view word, Handler handler);
    // Adds a word to the end of the table, or replaces the handler and minimum of a known one.
    void addCommand(std::string_view word, int minimumArguments, Handler handler);

    int dispatch(const dvrCommand& command);
    int run(std::string_view line);
    void runText(std::string_view text);
    bool post(std::string_view line);
    void drainQueue();
    std::size_t queuedCount() const;
    int runScript(const std::string& name);

    // Directory searched by "run" after the working directory.
    void setSettingsDirectory(const std::string& directory);
    std::string settingsDirectory() const;

private:
    struct Entry {
        std::string word;
        int minimumArguments;
        std::shared_ptr<const Handler> handler;
    };

    int runScriptFile(std::FILE* file, const std::string& path);

    mutable std::shared_mutex tableLock_;
    std::vector<Entry> table_;

    mutable std::mutex queueLock_;
    std::deque<dvrCommand> queue_;

    mutable std::mutex directoryLock_;
    std::string settingsDirectory_;
};
