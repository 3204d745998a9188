#include "dvrXecapSimulatedDriver.h"

#include <algorithm>

dvrXecapSimulatedDriver::dvrXecapSimulatedDriver(dvrXecapSimulatedCard::Pace pace, int cardCount,
                                                 int chipType, int channelCount) {
    for (int number = 0; number < std::clamp(cardCount, 0, 8); ++number)
        cards_.push_back(std::make_unique<dvrXecapSimulatedCard>(pace, chipType, channelCount));
}

dvrXecapSimulatedCard* dvrXecapSimulatedDriver::card(int number) {
    if (number < 0 || number >= cardCount())
        return nullptr;
    return cards_[static_cast<std::size_t>(number)].get();
}

int dvrXecapSimulatedDriver::searchBoards(int& count) {
    count = cardCount();
    return success;
}

int dvrXecapSimulatedDriver::readDetail(int number, Detail& detail) {
    dvrXecapSimulatedCard* found = card(number);
    if (!found)
        return failed;
    detail = found->detail();
    return success;
}

int dvrXecapSimulatedDriver::openCard(int number, int mode, int videoFormat) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->open(mode, videoFormat) : failed;
}

int dvrXecapSimulatedDriver::closeCard(int number) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->close() : failed;
}

int dvrXecapSimulatedDriver::readSignalStates(int number, std::uint32_t& states) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->signalStates(states) : failed;
}

int dvrXecapSimulatedDriver::setVideoSlices(int number, int group, const std::vector<int>& slots) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->setVideoSlices(group, slots) : failed;
}

int dvrXecapSimulatedDriver::startVideoTransfer(int number, int input, int resolution) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->startTransfer(input, resolution) : failed;
}

int dvrXecapSimulatedDriver::stopVideoTransfer(int number, int input) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->stopTransfer(input) : failed;
}

int dvrXecapSimulatedDriver::waitForNewestImage(int number, int input, int timeoutMilliseconds,
                                                std::shared_ptr<const dvrXecapPicture>& picture) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->waitForNewest(input, timeoutMilliseconds, picture) : failed;
}

int dvrXecapSimulatedDriver::cancelWait(int number, int input) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->cancelWait(input) : failed;
}

int dvrXecapSimulatedDriver::setPictureControl(int number, int input, Control control, int value) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->setPictureControl(input, control, value) : failed;
}

int dvrXecapSimulatedDriver::writeDigitalOutputs(int number, std::uint32_t states) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->writeDigitalOutputs(states) : failed;
}

int dvrXecapSimulatedDriver::readDigitalInputs(int number, std::uint32_t& states) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->readDigitalInputs(states) : failed;
}

int dvrXecapSimulatedDriver::setTvOut(int number, int input) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->setTvOut(input) : failed;
}

int dvrXecapSimulatedDriver::configureUart(int number, int speedIndex) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->configureUart(speedIndex) : failed;
}

int dvrXecapSimulatedDriver::writeUart(int number, const std::uint8_t* bytes, int length, int) {
    // The simulated line takes bytes at once, or times out at once when told to.
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->writeUart(bytes, length) : failed;
}

int dvrXecapSimulatedDriver::escapeUart(int number) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->escapeUart() : failed;
}

int dvrXecapSimulatedDriver::writeOsd(int number, int layer, int position, const std::uint8_t* codes,
                                      int length) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->writeOsd(layer, position, codes, length) : failed;
}

int dvrXecapSimulatedDriver::enableWatchdog(int number, int seconds) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->enableWatchdog(seconds) : failed;
}

int dvrXecapSimulatedDriver::disableWatchdog(int number) {
    dvrXecapSimulatedCard* found = card(number);
    return found ? found->disableWatchdog() : failed;
}
