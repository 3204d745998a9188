#pragma once

#include <atomic>
#include <cstdint>

#include "object/dvrObserver.h"

class dvrBoard;

// The board a board port was opened on, forgotten the moment that board is destroyed, so the port
// never reaches a deleted board nor an unopened board that took its name.
class dvrBoardPortLink : public dvrObserver {
public:
    explicit dvrBoardPortLink(dvrBoard& board);
    ~dvrBoardPortLink() override;

    // Null once the board is gone.
    dvrBoard* board() const { return board_.load(); }

    void onNotify(dvrNotifier* notifier, std::uint32_t events) override;

private:
    std::atomic<dvrBoard*> board_;
};
