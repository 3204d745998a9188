#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dvrBoard.h"

// Creates boards by type word, keeps them in insertion order, finds, starts, stops and deletes
// them. Board kinds register themselves in the kind table.
class dvrBoardContainer {
public:
    using Factory = std::function<std::unique_ptr<dvrBoard>()>;

    // Adds a kind for a type word (matched without regard to case); replaces an earlier one.
    static void registerKind(std::string_view typeWord, Factory factory);
    static void unregisterKind(std::string_view typeWord);
    static bool hasKind(std::string_view typeWord);

    dvrBoardContainer() = default;
    ~dvrBoardContainer();
    dvrBoardContainer(const dvrBoardContainer&) = delete;
    dvrBoardContainer& operator=(const dvrBoardContainer&) = delete;

    int addBoard(std::string_view typeWord, std::string_view name);
    std::vector<dvrBoard*> boards() const;
    std::size_t count() const { return boards_.size(); }
    // The board with exactly that name (case-insensitive); else the first whose name contains it.
    dvrBoard* findBoard(std::string_view name) const;
    dvrBoard* findBoardExactly(std::string_view name) const;
    // Deletes the first board whose name equals the text, case-insensitively.
    bool deleteBoard(std::string_view name);
    bool openAndStartAll();
    bool stopAll();
    // Unique boards first, then the rest; true when any board was deleted.
    bool deleteAll();
    void updateAll();

private:
    std::vector<std::unique_ptr<dvrBoard>> boards_;
};
