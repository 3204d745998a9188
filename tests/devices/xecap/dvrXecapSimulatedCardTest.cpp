#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "xecap/dvrXecapCharacterTable.h"
#include "xecap/dvrXecapSimulatedCard.h"

namespace {

using Pace = dvrXecapSimulatedCard::Pace;
constexpr int success = dvrXecapDriver::success;
constexpr int none = 99;

// An open PAL card whose group 0 gives input 0 ten frames and input 4 five frames a second.
struct OpenCard {
    OpenCard() {
        EXPECT_EQ(card.open(3, 0), success);
        std::vector<int> slots(25, none);
        for (int slot : {2, 4, 7, 9, 12, 14, 17, 19, 22, 24})
            slots[static_cast<std::size_t>(slot)] = 0;
        for (int slot : {3, 8, 13, 18, 23})
            slots[static_cast<std::size_t>(slot)] = 4;
        EXPECT_EQ(card.setVideoSlices(0, slots), success);
    }
    dvrXecapSimulatedCard card{Pace::manual};
};

TEST(dvrXecapSimulatedCardTest, DeliversAtTheSlotSchedulesPace) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    for (int input : {0, 4, 8})
        ASSERT_EQ(card.startTransfer(input, 8), success);
    card.advanceFrames(25);
    EXPECT_EQ(card.picturesDelivered(0), 10u);
    EXPECT_EQ(card.picturesDelivered(4), 5u);
    EXPECT_EQ(card.picturesDelivered(8), 0u) << "input 8 has no slot";
    card.advanceFrames(50);
    EXPECT_EQ(card.picturesDelivered(0), 30u);
    EXPECT_EQ(card.picturesDelivered(4), 15u);

    // Half a second: the slots up to frame 12 of the second.
    OpenCard again;
    again.card.startTransfer(0, 8);
    again.card.advanceFrames(13);
    EXPECT_EQ(again.card.picturesDelivered(0), 5u);
}

TEST(dvrXecapSimulatedCardTest, SignalOnlyWhereVideoIsTransferredAndNotLost) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    card.startTransfer(0, 8);
    card.startTransfer(4, 8);
    card.setSignalLost(4, true);
    std::uint32_t states = 0;
    ASSERT_EQ(card.signalStates(states), success);
    EXPECT_EQ(states, 1u);
    card.advanceFrames(25);
    EXPECT_EQ(card.picturesDelivered(4), 0u) << "a lost signal brings no pictures";
    card.setSignalLost(4, false);
    card.stopTransfer(0);
    card.signalStates(states);
    EXPECT_EQ(states, 1u << 4);
}

TEST(dvrXecapSimulatedCardTest, WaitHandsOutTheNewestPictureOnce) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    card.startTransfer(0, 8);
    std::shared_ptr<const dvrXecapPicture> picture;
    EXPECT_EQ(card.waitForNewest(0, 0, picture), dvrXecapDriver::timedOut);
    card.advanceFrames(25);
    ASSERT_EQ(card.waitForNewest(0, 0, picture), success);
    EXPECT_EQ(picture->sequence, 10u) << "older pictures are skipped";
    EXPECT_EQ(picture->width, 352);
    EXPECT_EQ(picture->height, 288);
    EXPECT_EQ(picture->bytes.size(), 352u * 288u * 2u);
    EXPECT_EQ(card.waitForNewest(0, 0, picture), dvrXecapDriver::timedOut)
        << "the same picture is not handed out twice";
    EXPECT_EQ(card.waitForNewest(9, 0, picture), dvrXecapDriver::failed) << "no transfer";
    EXPECT_EQ(card.waitForNewest(16, 0, picture), dvrXecapDriver::failed) << "beyond the 16 channels";
}

TEST(dvrXecapSimulatedCardTest, CancelEndsAWaitInAnotherThread) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    card.startTransfer(0, 8);
    std::atomic<int> result{-1};
    std::thread waiter([&] {
        std::shared_ptr<const dvrXecapPicture> picture;
        result = card.waitForNewest(0, 600000, picture);
    });
    // The wait may begin before or after the cancel; repeat until the waiter has ended.
    while (true) {
        card.cancelWait(0);
        std::this_thread::yield();
        if (result != -1)
            break;
    }
    waiter.join();
    EXPECT_EQ(result, dvrXecapDriver::cancelled);
}

TEST(dvrXecapSimulatedCardTest, MovingInputsChangeBetweenPicturesStillOnesOnlyInTheClock) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    card.setMotionInputs(0x1);
    card.startTransfer(0, 8);
    card.startTransfer(4, 8);
    auto take = [&card](int input) {
        std::shared_ptr<const dvrXecapPicture> picture;
        EXPECT_EQ(card.waitForNewest(input, 0, picture), success);
        return picture;
    };
    card.advanceFrames(25);
    auto moving1 = take(0), still1 = take(4);
    card.advanceFrames(25);
    auto moving2 = take(0), still2 = take(4);
    EXPECT_NE(moving1->bytes, moving2->bytes);
    // Brightness (every second byte) of a still input never changes; the clock is colour only.
    int changedLuma = 0;
    int changedColour = 0;
    for (std::size_t i = 0; i < still1->bytes.size(); ++i)
        if (still1->bytes[i] != still2->bytes[i])
            ++(i % 2 == 1 ? changedLuma : changedColour);
    EXPECT_EQ(changedLuma, 0);
    EXPECT_GT(changedColour, 0) << "the clock ticked";
}

TEST(dvrXecapSimulatedCardTest, RecordsWhatTheBoardSets) {
    OpenCard open;
    dvrXecapSimulatedCard& card = open.card;
    EXPECT_EQ(card.openMode(), 3);
    EXPECT_EQ(card.open(3, 0), dvrXecapDriver::failed) << "already open";
    card.setContactClosed(2, true);
    std::uint32_t inputs = 0;
    card.readDigitalInputs(inputs);
    EXPECT_EQ(inputs, ~(1u << 2));
    card.writeDigitalOutputs(0x81);
    EXPECT_EQ(card.digitalOutputs(), 0x81u);
    const std::uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(card.writeUart(bytes, 3), dvrXecapDriver::failed) << "not configured";
    card.configureUart(3);
    EXPECT_EQ(card.writeUart(bytes, 3), success);
    card.setUartTimesOut(true);
    EXPECT_EQ(card.writeUart(bytes, 3), dvrXecapDriver::timedOut);
    EXPECT_EQ(card.uartBytes(), (std::vector<std::uint8_t>{1, 2, 3}));
    std::vector<std::uint8_t> codes = dvrXecapCharacterTable::encode("Hi");
    EXPECT_EQ(card.writeOsd(1, 238, codes.data(), 2), success);
    EXPECT_EQ(card.writeOsd(1, 239, codes.data(), 2), dvrXecapDriver::failed) << "past the last character";
    EXPECT_EQ(card.osdText(1).substr(238), "Hi");
    card.enableWatchdog(60);
    card.disableWatchdog();
    EXPECT_EQ(card.watchdogCalls(), (std::vector<std::string>{"enable 60", "disable"}));
    EXPECT_EQ(card.close(), success);
    EXPECT_FALSE(card.isOpen());
}

TEST(dvrXecapCharacterTableTest, MapsPrintableCharactersAndMarksTheRest) {
    EXPECT_EQ(dvrXecapCharacterTable::code(' '), 0);
    std::vector<std::uint8_t> codes = dvrXecapCharacterTable::encode("Aä\x01\xC3");
    ASSERT_EQ(codes.size(), 4u);
    EXPECT_EQ(dvrXecapCharacterTable::character(codes[0]), "A");
    EXPECT_EQ(dvrXecapCharacterTable::character(codes[1]), "ä");
    EXPECT_EQ(codes[2], dvrXecapCharacterTable::unknown);
    EXPECT_EQ(codes[3], dvrXecapCharacterTable::unknown) << "a cut-off sequence";
    // Every character of the table has its own code, and none is the unknown mark.
    std::vector<std::uint8_t> all = dvrXecapCharacterTable::encode(
        " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"
        "ÄÅÆÇÉÑÖØÜßàáâäåæçèéêëìíîïñòóôöøùúûüýÿ°µ");
    ASSERT_EQ(all.size(), static_cast<std::size_t>(dvrXecapCharacterTable::size));
    std::vector<bool> seen(256, false);
    for (std::uint8_t code : all) {
        EXPECT_NE(code, dvrXecapCharacterTable::unknown);
        EXPECT_FALSE(seen[code]) << int(code);
        seen[code] = true;
    }
    EXPECT_EQ(dvrXecapCharacterTable::code(U'€'), dvrXecapCharacterTable::unknown);
}

} // namespace
