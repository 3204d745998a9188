#include "dvrBoard.h"

#include <atomic>

#include "console/dvrCommand.h"
#include "language/dvrTranslation.h"
#include "settings/dvrSettingSet.h"
#include "text/dvrText.h"

namespace {
// Each new board proposes the next free ID; a configuration line then sets the stored one.
std::atomic<int> nextBoardId{0};
} // namespace

dvrBoard::dvrBoard() {
    dvrSettingSet* settings = getSettings();
    settings->setScope("board");
    settings->setObjectName("temporary");
    settings->addSetting("", dvrTranslation::translate("Identification"), dvrSettingKind::heading, 0x2000);
    settings->addSetting("ID", dvrTranslation::translate("ID"),
                         dvrTranslation::translate("This number identifies the card. In case you have to redo "
                                                   "these settings, make sure you give the same identifier."),
                         dvrSettingKind::spin, 0x2010, 0, 255);
    int id = nextBoardId++ % 256;
    settings->setInt("ID", id);
    setId(id);
}

dvrBoard::~dvrBoard() { detachObject(); }

bool dvrBoard::start() {
    started_ = true;
    return true;
}

bool dvrBoard::stop() {
    started_ = false;
    return true;
}

int dvrBoard::getCameraType(int) const { return noCameraType; }

bool dvrBoard::reserveInput(int input) {
    if (input < 0 || input >= getInputCount() || input >= maximumInputs)
        return false;
    bool expected = false;
    return inputInUse_[input].compare_exchange_strong(expected, true);
}

bool dvrBoard::releaseInput(int input) {
    if (input < 0 || input >= getInputCount() || input >= maximumInputs)
        return false;
    bool expected = true;
    return inputInUse_[input].compare_exchange_strong(expected, false);
}

bool dvrBoard::isInputInUse(int input) const {
    return input >= 0 && input < maximumInputs && inputInUse_[input].load();
}

int dvrBoard::applySet(const dvrCommand& command) {
    dvrObject::applySet(command);
    if (dvrText::equalsIgnoringCase(command.argument(3), "int") &&
        dvrText::equalsIgnoringCase(command.argument(2), "ID"))
        setId(getSettings()->getInt("ID"));
    return 1;
}
