#include "dvrBoardContainer.h"

#include <map>
#include <mutex>

#include "language/dvrTranslatedMessage.h"
#include "log/dvrLog.h"
#include "text/dvrText.h"

namespace {

std::mutex kindLock;
std::map<std::string, dvrBoardContainer::Factory>& kinds() {
    static std::map<std::string, dvrBoardContainer::Factory> table;
    return table;
}

// Logs a catalogue message with one text inserted as data.
void logWithText(const char* message, std::string_view text) {
    logMessage("%s", dvrTranslatedMessage::compose(message, "%s", {dvrText::singleLine(text)}).c_str());
}

} // namespace

void dvrBoardContainer::registerKind(std::string_view typeWord, Factory factory) {
    std::lock_guard<std::mutex> guard(kindLock);
    kinds()[dvrText::lowerCase(typeWord)] = std::move(factory);
}

void dvrBoardContainer::unregisterKind(std::string_view typeWord) {
    std::lock_guard<std::mutex> guard(kindLock);
    kinds().erase(dvrText::lowerCase(typeWord));
}

bool dvrBoardContainer::hasKind(std::string_view typeWord) {
    std::lock_guard<std::mutex> guard(kindLock);
    return kinds().count(dvrText::lowerCase(typeWord)) != 0;
}

dvrBoardContainer::~dvrBoardContainer() {
    // Later boards may depend on earlier ones (a port on a board's RS-485 line): newest first.
    while (!boards_.empty())
        boards_.pop_back();
}

int dvrBoardContainer::addBoard(std::string_view typeWord, std::string_view name) {
    Factory factory;
    {
        std::lock_guard<std::mutex> guard(kindLock);
        auto kind = kinds().find(dvrText::lowerCase(typeWord));
        if (kind != kinds().end())
            factory = kind->second;
    }
    std::unique_ptr<dvrBoard> board = factory ? factory() : nullptr;
    if (!board) {
        logWithText("[BOARD] Board type `%s' not handled in dvrBoardContainer::addBoard().", typeWord);
        return 0;
    }
    if (board->isUnique()) {
        for (const auto& existing : boards_) {
            if (dvrText::equalsIgnoringCase(existing->getTypeName(), typeWord)) {
                logWithText("[BOARD] Cannot add 2 or more boards of type `%s'", typeWord);
                return 0;
            }
        }
    }
    if (!board->open()) {
        logWithText("[BOARD] Board init failed for board of type `%s'.", typeWord);
        return 0;
    }
    board->setName(name);
    board->close();
    boards_.push_back(std::move(board));
    return 1;
}

std::vector<dvrBoard*> dvrBoardContainer::boards() const {
    std::vector<dvrBoard*> list;
    for (const auto& board : boards_)
        list.push_back(board.get());
    return list;
}

dvrBoard* dvrBoardContainer::findBoardExactly(std::string_view name) const {
    for (const auto& board : boards_)
        if (dvrText::equalsIgnoringCase(board->getName(), name))
            return board.get();
    return nullptr;
}

dvrBoard* dvrBoardContainer::findBoard(std::string_view name) const {
    if (dvrBoard* board = findBoardExactly(name))
        return board;
    // Part of a name still finds a board, but only when no board has exactly that name.
    for (const auto& board : boards_)
        if (board->getName().find(name) != std::string::npos)
            return board.get();
    return nullptr;
}

bool dvrBoardContainer::deleteBoard(std::string_view name) {
    for (auto board = boards_.begin(); board != boards_.end(); ++board) {
        if (dvrText::equalsIgnoringCase((*board)->getName(), name)) {
            boards_.erase(board);
            return true;
        }
    }
    return false;
}

bool dvrBoardContainer::openAndStartAll() {
    for (const auto& board : boards_)
        if (!board->open() || !board->start())
            return false;
    return true;
}

bool dvrBoardContainer::stopAll() {
    bool stopped = true;
    for (const auto& board : boards_)
        stopped = board->stop() && stopped;
    return stopped;
}

bool dvrBoardContainer::deleteAll() {
    bool deleted = false;
    for (bool unique : {true, false}) {
        for (auto board = boards_.begin(); board != boards_.end();) {
            if ((*board)->isUnique() == unique) {
                board = boards_.erase(board);
                deleted = true;
            } else {
                ++board;
            }
        }
    }
    return deleted;
}

void dvrBoardContainer::updateAll() {
    for (const auto& board : boards_)
        board->update();
}
