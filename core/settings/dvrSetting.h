#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct dvrSettingChoice {
    std::string text;
    int value = 0;
};

// One described, typed setting. The three value forms are kept in step by the set.
struct dvrSetting {
    static constexpr std::size_t maximumKeyLength = 31;
    static constexpr std::size_t maximumLabelLength = 127;
    static constexpr std::size_t maximumHelpLength = 4095;
    static constexpr std::size_t maximumChoiceTextLength = 511;
    static constexpr std::size_t maximumValueLength = 511;

    std::string key;
    std::string label;
    std::string help;
    std::vector<dvrSettingChoice> choices;
    int kind = 0;
    std::uint32_t flags = 0;
    int low = 0;
    int high = 0;
    std::string textValue;
    int intValue = 0;
    float realValue = 0;
};

// Editor kinds.
namespace dvrSettingKind {
constexpr int text = 1;
constexpr int choice = 2;
constexpr int slider = 3;
constexpr int checkBox = 4;
constexpr int separator = 5;
constexpr int heading = 6;
constexpr int hidden = 7;
constexpr int note = 8;
constexpr int fileName = 9;
constexpr int button = 10;
constexpr int buttonRow = 11;
constexpr int spin = 13;
constexpr int ruleName = 22;
constexpr int serialPort = 24;
constexpr int layout = 25;
} // namespace dvrSettingKind

namespace dvrSettingFlag {
constexpr std::uint32_t choiceTextOnly = 0x4;
constexpr std::uint32_t readOnly = 0x8;
constexpr std::uint32_t savedAsInt = 0x10;
constexpr std::uint32_t savedAsText = 0x20;
constexpr std::uint32_t savedAsReal = 0x40;
constexpr std::uint32_t neverSaved = 0x80;
constexpr std::uint32_t password = 0x100;
constexpr std::uint32_t realtime = 0x200;
constexpr std::uint32_t buttonsFromLowPlusOne = 0x400;
constexpr std::uint32_t imageFile = 0x1000;
constexpr std::uint32_t advanced = 0x2000;
constexpr std::uint32_t headingMenu = 0x4000;
} // namespace dvrSettingFlag
