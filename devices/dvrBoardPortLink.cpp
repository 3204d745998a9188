#include "dvrBoardPortLink.h"

#include "dvrBoard.h"
#include "object/dvrEvents.h"

dvrBoardPortLink::dvrBoardPortLink(dvrBoard& board) : board_(&board) {
    board.addObserver(this, dvrEvent::destroyed);
}

dvrBoardPortLink::~dvrBoardPortLink() {
    stopObserving();
}

void dvrBoardPortLink::onNotify(dvrNotifier* notifier, std::uint32_t events) {
    if (events & dvrEvent::destroyed)
        board_.store(nullptr);
    dvrObserver::onNotify(notifier, events);
}
