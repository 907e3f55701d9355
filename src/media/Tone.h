#pragma once
// The beep's tone, synthesised.

#include <optional>

#include "platform/Audio.h"

namespace kairos {

inline constexpr int ToneSampleRate = 48000;
inline constexpr int MinToneFrequency = 37;  // the lowest Beep takes on Windows
inline constexpr int MaxToneFrequency = 20000;
inline constexpr int MaxToneDurationMs = 60000;

// A mono sine of that frequency and exact length, with short fades against
// clicks; nothing for a frequency outside [MinToneFrequency,
// MaxToneFrequency] or a duration outside (0, MaxToneDurationMs].
std::optional<platform::PcmSound> SineTone(int frequencyHz, int durationMs);

}  // namespace kairos
