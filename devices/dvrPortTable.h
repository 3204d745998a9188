#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "dvrBoardPortLink.h"
#include "dvrSerialPort.h"

class dvrBoard;

// The numbered serial ports domes write to: each is a serial line of this computer or the RS-485
// port of a board. Ports 1-4 follow the global settings "com1" to "com4"; board ports are added
// from port 5 on. Port numbers outside 1-32 fail every operation.
class dvrPortTable {
public:
    enum class Kind { none = 0, com = 1, board = 4 };

    static constexpr int portCount = 32;
    // Ports below this one belong to the "com1" to "com4" settings.
    static constexpr int firstBoardPort = 5;
    static constexpr int settingPortCount = 4;
    static constexpr int initialSpeed = 9600;
    static constexpr int boardPortSpeed = -1;
    static constexpr std::size_t maximumBoardNameLength = 259;

    // Finds a board by name when a board port opens. The engine installs one that asks the core.
    using BoardLookup = std::function<dvrBoard*(std::string_view name)>;
    // The device path of a COM port number.
    using DevicePathLookup = std::function<std::string(int port)>;

    // The process-wide table: null before create and after destroy.
    static dvrPortTable* instance();
    static dvrPortTable* create();
    static void destroy();

    // Reactions of the global settings "com1" to "com4" on the process-wide table: a non-zero value
    // configures the port as a COM port at that speed, zero closes it.
    static void installSettingReactions();
    static void removeSettingReactions();

    // The port number in a text "COMn" (any case, n from 1 to 32); 0 for anything else.
    static int portNumberFromName(std::string_view text);
    // /dev/ttyS(n-1) for port n.
    static std::string defaultDevicePath(int port);

    dvrPortTable();
    ~dvrPortTable();
    dvrPortTable(const dvrPortTable&) = delete;
    dvrPortTable& operator=(const dvrPortTable&) = delete;

    void setBoardLookup(BoardLookup lookup);
    void setDevicePathLookup(DevicePathLookup lookup);

    // Closes the port if open, gives it its kind and speed (board ports: the board name and speed
    // -1) and opens it. Returns whether the port is open.
    bool configure(int port, Kind kind, int speed, std::string_view boardName = {});
    bool open(int port);
    bool close(int port);
    // Bytes written; a closed port writes nothing.
    int write(int port, const std::uint8_t* bytes, int length);
    // The board port for that board (exact name, any case), added and opened when there is none.
    // -1 when the name is empty or too long, no such board exists, it cannot be opened, or every
    // port from 5 to 32 is taken.
    int findOrAddBoardPort(std::string_view boardName);

    bool isOpen(int port) const;
    Kind kind(int port) const;
    int speed(int port) const;
    std::string boardName(int port) const;

private:
    struct Entry {
        Kind kind = Kind::none;
        int speed = initialSpeed;
        bool open = false;
        std::string boardName;
        dvrSerialPort serial;
        // The board an open board port was opened on.
        std::unique_ptr<dvrBoardPortLink> board;
        // Held while the entry changes and during a write, which may wait on the line for a
        // second or more; other ports stay usable meanwhile.
        mutable std::recursive_mutex lock;
    };

    static bool validPort(int port) { return port >= 1 && port <= portCount; }
    Entry& entry(int port) { return entries_[static_cast<std::size_t>(port - 1)]; }
    const Entry& entry(int port) const { return entries_[static_cast<std::size_t>(port - 1)]; }
    // Open, and for a board port its board still exists.
    static bool reachable(const Entry& target);
    dvrBoard* findBoard(std::string_view name) const;
    bool openLocked(int port);
    void closeLocked(int port);
    // Back to an unused entry, as after construction.
    void freeLocked(int port);

    // Guards the table as a whole (lookups, board-port search); taken before an entry's lock and
    // never held during a write. Boards must not call back into the table from their RS-485
    // operations.
    mutable std::mutex lock_;
    std::array<Entry, portCount> entries_{};
    BoardLookup boardLookup_;
    DevicePathLookup devicePathLookup_;
};
