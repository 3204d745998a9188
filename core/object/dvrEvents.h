#pragma once

#include <cstdint>

// Event bits with one meaning for every notifier; other bits belong to the notifying class.
namespace dvrEvent {
constexpr std::uint32_t destroyed = 2;
constexpr std::uint32_t registered = 4;
constexpr std::uint32_t removed = 8;
constexpr std::uint32_t settingChanged = 16;
constexpr std::uint32_t all = 0xFFFFFFFFu;
} // namespace dvrEvent
