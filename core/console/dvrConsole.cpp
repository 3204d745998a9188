#include "console/dvrConsole.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "config/dvrConfigurationWriter.h"
#include "language/dvrTranslatedMessage.h"
#include "language/dvrTranslation.h"
#include "log/dvrLog.h"
#include "settings/dvrSettingLines.h"
#include "text/dvrText.h"

namespace {

std::atomic<dvrConsole*> theConsole{nullptr};

// Serialises multi-line texts, so two of them never interleave their lines.
std::recursive_mutex scriptLock;

thread_local int scriptDepth = 0;

struct TableRow {
    const char* word;
    int minimumArguments;
};

const TableRow commandTable[] = {
    {"Run", 1},         {"OpenWindow", 1},    {"CloseWindow", 1},  {"ReOpenWindow", 1}, {"EnlargeWindow", 2},
    {"DeEnlargeWindow", 1}, {"Language", 1},  {"Help", 1},         {"Beep", 0},         {"Quit", 0},
    {"AddCard", 2},     {"DelCard", 1},       {"DelCards", 0},     {"AddCamera", 3},    {"DelCamera", 1},
    {"DelCameras", 0},  {"AddUser", 2},       {"DelUser", 1},      {"DelUsers", 0},     {"Dome", 2},
    {"Start", 0},       {"Stop", 0},          {"SaveSettings", 1}, {"Set", 5},          {"Get", 3},
    {"Refresh", 0},     {"Logout", 0},        {"AddRule", 1},      {"AddRuleNode", 1},
};

void reportRefused(const dvrCommand& command) { logMessage("[CORE] %s\n", command.problem().c_str()); }

// Reads one line, keeping its newline; returns false at end of file. A line with more than limit
// characters before its newline is consumed whole and flagged, so it is never run in pieces.
bool readScriptLine(std::FILE* file, std::string& line, std::size_t limit, bool& tooLong) {
    line.clear();
    tooLong = false;
    int c = 0;
    bool readAny = false;
    while ((c = std::fgetc(file)) != EOF) {
        readAny = true;
        if (c == '\n') {
            line.push_back('\n');
            return true;
        }
        if (line.size() < limit)
            line.push_back(static_cast<char>(c));
        else
            tooLong = true;
    }
    return readAny;
}

} // namespace

dvrConsole* dvrConsole::instance() { return theConsole.load(); }

dvrConsole* dvrConsole::create() {
    if (!theConsole.load())
        theConsole.store(new dvrConsole());
    return theConsole.load();
}

void dvrConsole::destroy() { delete theConsole.exchange(nullptr); }

dvrConsole::dvrConsole() {
    for (const TableRow& row : commandTable)
        table_.push_back(Entry{row.word, row.minimumArguments, nullptr});
    setHandler("Run", [this](const dvrCommand& command) { return runScript(command.argument(0)); });
    setHandler("SaveSettings",
               [](const dvrCommand& command) { return dvrConfigurationWriter::save(command.argument(0)) ? 1 : 0; });
    setHandler("Set", [](const dvrCommand& command) { return dvrSettingLines::route(command); });
    setHandler("Get", [](const dvrCommand& command) { return dvrSettingLines::route(command); });
    // Until the core engine takes over "Refresh", a refresh pass only drains the queue.
    setHandler("Refresh", [this](const dvrCommand&) {
        drainQueue();
        return 1;
    });
}

bool dvrConsole::setHandler(std::string_view word, Handler handler) {
    std::unique_lock<std::shared_mutex> guard(tableLock_);
    for (Entry& entry : table_) {
        if (dvrText::equalsIgnoringCase(entry.word, word)) {
            entry.handler = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
            return true;
        }
    }
    return false;
}

void dvrConsole::addCommand(std::string_view word, int minimumArguments, Handler handler) {
    std::unique_lock<std::shared_mutex> guard(tableLock_);
    auto shared = handler ? std::make_shared<const Handler>(std::move(handler)) : nullptr;
    for (Entry& entry : table_) {
        if (dvrText::equalsIgnoringCase(entry.word, word)) {
            entry.minimumArguments = minimumArguments;
            entry.handler = shared;
            return;
        }
    }
    table_.push_back(Entry{std::string(word), minimumArguments, shared});
}

int dvrConsole::dispatch(const dvrCommand& command) {
    if (!command.isValid()) {
        reportRefused(command);
        return 0;
    }
    if (command.word().empty())
        return 0;
    std::shared_ptr<const Handler> handler;
    int minimumArguments = 0;
    {
        std::shared_lock<std::shared_mutex> guard(tableLock_);
        auto entry = std::find_if(table_.begin(), table_.end(),
                                  [&](const Entry& e) { return dvrText::equalsIgnoringCase(e.word, command.word()); });
        if (entry == table_.end())
            return 0;
        handler = entry->handler;
        minimumArguments = entry->minimumArguments;
    }
    if (command.argumentCount() < minimumArguments) {
        // The word is inserted as data, never used as a format.
        std::string text = dvrTranslatedMessage::compose("%s: not enough parameters.\n", "%s",
                                                         {dvrText::singleLine(command.word())});
        logMessage("%s", text.c_str());
        return 0;
    }
    return handler ? (*handler)(command) : 0;
}

int dvrConsole::run(std::string_view line) { return dispatch(dvrCommand::parse(line)); }

void dvrConsole::runText(std::string_view text) {
    std::lock_guard<std::recursive_mutex> guard(scriptLock);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view piece = text.substr(start, end - start);
        if (!piece.empty() && piece.back() == '\r')
            piece.remove_suffix(1);
        if (!piece.empty())
            run(piece);
        start = end + 1;
    }
}

bool dvrConsole::post(std::string_view line) {
    dvrCommand command = dvrCommand::parse(line);
    if (!command.isValid()) {
        reportRefused(command);
        return false;
    }
    std::lock_guard<std::mutex> guard(queueLock_);
    if (queue_.size() >= maximumQueuedCommands) {
        logWarning("[CORE] Command queue full, `%s' dropped.\n", dvrText::singleLine(command.word()).c_str());
        return false;
    }
    queue_.push_back(std::move(command));
    return true;
}

void dvrConsole::drainQueue() {
    std::size_t noted = queuedCount();
    for (std::size_t executed = 0; executed < noted; ++executed) {
        dvrCommand command;
        {
            std::lock_guard<std::mutex> guard(queueLock_);
            if (queue_.empty())
                return;
            command = std::move(queue_.front());
            queue_.pop_front();
        }
        dispatch(command);
    }
}

std::size_t dvrConsole::queuedCount() const {
    std::lock_guard<std::mutex> guard(queueLock_);
    return queue_.size();
}

int dvrConsole::runScript(const std::string& name) {
    std::string directory = settingsDirectory();
    std::vector<std::string> candidates = {name, name + ".mrd"};
    if (!directory.empty()) {
        candidates.push_back(directory + "/" + name);
        candidates.push_back(directory + "/" + name + ".mrd");
    }
    for (const std::string& path : candidates) {
        std::FILE* file = std::fopen(path.c_str(), "r");
        if (!file)
            continue;
        int result = runScriptFile(file, path);
        std::fclose(file);
        return result;
    }
    return 0;
}

int dvrConsole::runScriptFile(std::FILE* file, const std::string& path) {
    if (scriptDepth >= maximumScriptDepth) {
        logError("[CORE] Script `%s' is nested too deeply, not run.\n", dvrText::singleLine(path).c_str());
        return 0;
    }
    ++scriptDepth;
    std::string line;
    bool tooLong = false;
    int lineNumber = 0;
    while (readScriptLine(file, line, maximumScriptLineLength, tooLong)) {
        ++lineNumber;
        if (tooLong) {
            logError("[CORE] %s:%d: line longer than %zu characters, ignored.\n", dvrText::singleLine(path).c_str(),
                     lineNumber, maximumScriptLineLength);
            continue;
        }
        if (line.empty() || line[0] == '#')
            continue;
        if (line.back() == '\n')
            line.pop_back();
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            run(line);
    }
    --scriptDepth;
    return 1;
}

void dvrConsole::setSettingsDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(directoryLock_);
    settingsDirectory_ = directory;
}

std::string dvrConsole::settingsDirectory() const {
    std::lock_guard<std::mutex> guard(directoryLock_);
    return settingsDirectory_;
}
