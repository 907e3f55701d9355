#pragma once
// The two colours of the clock's raised frame, derived from the window
// colour on the whole 24-bit number: carries and borrows cross the channels,
// and the result is clamped to black and white.

#include <algorithm>
#include <cstdint>

namespace kairos {

inline constexpr std::int64_t FrameColorStep = 0x202020;

constexpr std::uint32_t FrameLightColor(std::uint32_t rgb) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(std::int64_t{rgb & 0xFFFFFF} + FrameColorStep, 0, 0xFFFFFF));
}

constexpr std::uint32_t FrameDarkColor(std::uint32_t rgb) {
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(std::int64_t{rgb & 0xFFFFFF} - FrameColorStep, 0, 0xFFFFFF));
}

}  // namespace kairos
