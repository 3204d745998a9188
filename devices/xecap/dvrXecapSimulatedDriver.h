#pragma once

#include <memory>
#include <vector>

#include "dvrXecapDriver.h"
#include "dvrXecapSimulatedCard.h"

// The driver over simulated cards, numbered from 0. Two cards by default, so a second board
// (a "multicard" system) finds its own card.
class dvrXecapSimulatedDriver : public dvrXecapDriver {
public:
    static constexpr int defaultCardCount = 2;

    explicit dvrXecapSimulatedDriver(dvrXecapSimulatedCard::Pace pace = dvrXecapSimulatedCard::Pace::realTime,
                                     int cardCount = defaultCardCount,
                                     int chipType = dvrXecapSimulatedCard::defaultChipType,
                                     int channelCount = dvrXecapSimulatedCard::defaultChannelCount);

    // The card of that number, or null.
    dvrXecapSimulatedCard* card(int number);
    int cardCount() const { return static_cast<int>(cards_.size()); }

    int searchBoards(int& count) override;
    int readDetail(int card, Detail& detail) override;
    int openCard(int card, int mode, int videoFormat) override;
    int closeCard(int card) override;
    int readSignalStates(int card, std::uint32_t& states) override;
    int setVideoSlices(int card, int group, const std::vector<int>& slots) override;
    int startVideoTransfer(int card, int input, int resolution) override;
    int stopVideoTransfer(int card, int input) override;
    int waitForNewestImage(int card, int input, int timeoutMilliseconds,
                           std::shared_ptr<const dvrXecapPicture>& picture) override;
    int cancelWait(int card, int input) override;
    int setPictureControl(int card, int input, Control control, int value) override;
    int writeDigitalOutputs(int card, std::uint32_t states) override;
    int readDigitalInputs(int card, std::uint32_t& states) override;
    int setTvOut(int card, int input) override;
    int configureUart(int card, int speedIndex) override;
    int writeUart(int card, const std::uint8_t* bytes, int length, int timeoutMilliseconds) override;
    int escapeUart(int card) override;
    int writeOsd(int card, int layer, int position, const std::uint8_t* codes, int length) override;
    int enableWatchdog(int card, int seconds) override;
    int disableWatchdog(int card) override;

private:
    std::vector<std::unique_ptr<dvrXecapSimulatedCard>> cards_;
};
