#include "dvrPortTable.h"

#include <algorithm>
#include <atomic>

#include "dvrBoard.h"
#include "log/dvrLog.h"
#include "settings/dvrSettingLines.h"
#include "text/dvrText.h"

namespace {

std::atomic<dvrPortTable*> theTable{nullptr};

std::string settingKey(int port) {
    return "com" + std::to_string(port);
}

bool validBoardName(std::string_view name) {
    return !name.empty() && name.size() <= dvrPortTable::maximumBoardNameLength;
}

} // namespace

dvrPortTable* dvrPortTable::instance() {
    return theTable.load();
}

dvrPortTable* dvrPortTable::create() {
    if (!theTable.load())
        theTable.store(new dvrPortTable());
    return theTable.load();
}

void dvrPortTable::destroy() {
    delete theTable.exchange(nullptr);
}

void dvrPortTable::installSettingReactions() {
    for (int port = 1; port <= settingPortCount; ++port) {
        dvrSettingLines::setGlobalReaction(settingKey(port), [port](int value) {
            dvrPortTable* table = instance();
            if (!table)
                return;
            if (value != 0)
                table->configure(port, Kind::com, value);
            else
                table->close(port);
        });
    }
}

void dvrPortTable::removeSettingReactions() {
    for (int port = 1; port <= settingPortCount; ++port)
        dvrSettingLines::setGlobalReaction(settingKey(port), nullptr);
}

int dvrPortTable::portNumberFromName(std::string_view text) {
    constexpr std::string_view prefix = "COM";
    if (text.size() <= prefix.size() || text.size() > prefix.size() + 2 ||
        !dvrText::equalsIgnoringCase(text.substr(0, prefix.size()), prefix))
        return 0;
    int number = 0;
    for (char c : text.substr(prefix.size())) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return validPort(number) ? number : 0;
}

std::string dvrPortTable::defaultDevicePath(int port) {
    return validPort(port) ? dvrSerialPort::devicePathFor("COM" + std::to_string(port)) : std::string();
}

dvrPortTable::dvrPortTable() = default;

dvrPortTable::~dvrPortTable() {
    std::lock_guard<std::mutex> guard(lock_);
    for (int port = 1; port <= portCount; ++port)
        closeLocked(port);
}

void dvrPortTable::setBoardLookup(BoardLookup lookup) {
    std::lock_guard<std::mutex> guard(lock_);
    boardLookup_ = std::move(lookup);
}

void dvrPortTable::setDevicePathLookup(DevicePathLookup lookup) {
    std::lock_guard<std::mutex> guard(lock_);
    devicePathLookup_ = std::move(lookup);
}

bool dvrPortTable::configure(int port, Kind kind, int speed, std::string_view boardName) {
    if (!validPort(port))
        return false;
    if (kind != Kind::none && kind != Kind::com && kind != Kind::board)
        return false;
    if (kind == Kind::board && !validBoardName(boardName))
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    Entry& target = entry(port);
    std::lock_guard<std::recursive_mutex> entryGuard(target.lock);
    closeLocked(port);
    target.kind = kind;
    target.speed = kind == Kind::board ? boardPortSpeed : speed;
    target.boardName = kind == Kind::board ? std::string(boardName) : std::string();
    return openLocked(port);
}

bool dvrPortTable::open(int port) {
    if (!validPort(port))
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    return openLocked(port);
}

bool dvrPortTable::close(int port) {
    if (!validPort(port))
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked(port);
    return true;
}

int dvrPortTable::write(int port, const std::uint8_t* bytes, int length) {
    if (!validPort(port) || !bytes || length <= 0)
        return 0;
    // Only this port's lock: the write may wait on the line, and the table must stay usable.
    Entry& target = entry(port);
    std::lock_guard<std::recursive_mutex> entryGuard(target.lock);
    if (!target.open)
        return 0;
    if (target.kind == Kind::com)
        return target.serial.write(bytes, length);
    if (target.kind == Kind::board) {
        dvrBoard* board = target.board ? target.board->board() : nullptr;
        return board ? std::clamp(board->writeRS485(bytes, length), 0, length) : 0;
    }
    return 0;
}

int dvrPortTable::findOrAddBoardPort(std::string_view boardName) {
    if (!validBoardName(boardName))
        return -1;
    std::lock_guard<std::mutex> guard(lock_);
    int freePort = 0;
    for (int port = firstBoardPort; port <= portCount; ++port) {
        Entry& candidate = entry(port);
        if (candidate.kind == Kind::board && dvrText::equalsIgnoringCase(candidate.boardName, boardName)) {
            if (openLocked(port))
                return port;
            // The board is gone or lost its RS-485 port; the entry is given up.
            freeLocked(port);
            return -1;
        }
        if (candidate.kind == Kind::none && freePort == 0)
            freePort = port;
    }
    if (!findBoard(boardName) || freePort == 0)
        return -1;
    std::string name(boardName);
    logMessage("COMPORT ADDED: DEVICE %s", name.c_str());
    Entry& added = entry(freePort);
    std::lock_guard<std::recursive_mutex> entryGuard(added.lock);
    added.kind = Kind::board;
    added.speed = boardPortSpeed;
    added.boardName = name;
    if (openLocked(freePort))
        return freePort;
    freeLocked(freePort);
    return -1;
}

bool dvrPortTable::isOpen(int port) const {
    if (!validPort(port))
        return false;
    std::lock_guard<std::mutex> guard(lock_);
    return reachable(entry(port));
}

dvrPortTable::Kind dvrPortTable::kind(int port) const {
    if (!validPort(port))
        return Kind::none;
    std::lock_guard<std::mutex> guard(lock_);
    return entry(port).kind;
}

int dvrPortTable::speed(int port) const {
    if (!validPort(port))
        return 0;
    std::lock_guard<std::mutex> guard(lock_);
    return entry(port).speed;
}

std::string dvrPortTable::boardName(int port) const {
    if (!validPort(port))
        return {};
    std::lock_guard<std::mutex> guard(lock_);
    return entry(port).boardName;
}

dvrBoard* dvrPortTable::findBoard(std::string_view name) const {
    if (!boardLookup_ || name.empty())
        return nullptr;
    // Lookups may fall back to part of a name; a port only ever reaches the board named exactly.
    dvrBoard* board = boardLookup_(name);
    return board && dvrText::equalsIgnoringCase(board->getName(), name) ? board : nullptr;
}

bool dvrPortTable::openLocked(int port) {
    Entry& target = entry(port);
    std::lock_guard<std::recursive_mutex> entryGuard(target.lock);
    if (reachable(target))
        return true;
    // An open board port whose board was deleted opens again on the board now of that name.
    closeLocked(port);
    if (target.kind == Kind::com) {
        std::string path = devicePathLookup_ ? devicePathLookup_(port) : defaultDevicePath(port);
        target.open = target.serial.open(path, target.speed);
    } else if (target.kind == Kind::board) {
        dvrBoard* board = findBoard(target.boardName);
        if (!board)
            return false;
        if (!board->hasRS485()) {
            logMessage("There's no RS485 control on device %s!", target.boardName.c_str());
            return false;
        }
        if (!board->openRS485())
            return false;
        target.board = std::make_unique<dvrBoardPortLink>(*board);
        target.open = true;
    }
    return target.open;
}

void dvrPortTable::closeLocked(int port) {
    Entry& target = entry(port);
    std::lock_guard<std::recursive_mutex> entryGuard(target.lock);
    if (!target.open)
        return;
    if (target.kind == Kind::com) {
        target.serial.close();
    } else if (target.kind == Kind::board) {
        if (dvrBoard* board = target.board ? target.board->board() : nullptr)
            board->closeRS485();
        target.board.reset();
    }
    target.open = false;
}

void dvrPortTable::freeLocked(int port) {
    Entry& target = entry(port);
    std::lock_guard<std::recursive_mutex> entryGuard(target.lock);
    closeLocked(port);
    target.kind = Kind::none;
    target.speed = initialSpeed;
    target.boardName.clear();
}

bool dvrPortTable::reachable(const Entry& target) {
    if (!target.open)
        return false;
    return target.kind != Kind::board || (target.board && target.board->board());
}
