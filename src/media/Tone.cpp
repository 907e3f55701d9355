#include "media/Tone.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kairos {
namespace {

constexpr double Amplitude = 0.5;  // -6 dBFS: a beep, not an alarm siren
constexpr std::size_t FadeFrames = ToneSampleRate * 5 / 1000;

// Raised-cosine ramp at both ends; a tone shorter than two fades gets half
// its length for each.
double Envelope(std::size_t frame, std::size_t frames) {
    const std::size_t fade = std::min(FadeFrames, frames / 2);
    const std::size_t fromEdge = std::min(frame, frames - 1 - frame);
    if (fade == 0 || fromEdge >= fade) return 1.0;
    return 0.5 - 0.5 * std::cos(std::numbers::pi * (static_cast<double>(fromEdge) + 0.5) / static_cast<double>(fade));
}

}  // namespace

std::optional<platform::PcmSound> SineTone(int frequencyHz, int durationMs) {
    if (frequencyHz < MinToneFrequency || frequencyHz > MaxToneFrequency) return std::nullopt;
    if (durationMs <= 0 || durationMs > MaxToneDurationMs) return std::nullopt;
    const auto frames = static_cast<std::size_t>(std::int64_t{ToneSampleRate} * durationMs / 1000);
    platform::PcmSound tone{ToneSampleRate, 1, std::vector<float>(frames)};
    const double step = 2.0 * std::numbers::pi * frequencyHz / ToneSampleRate;
    for (std::size_t i = 0; i < frames; ++i) {
        tone.samples[i] = static_cast<float>(Amplitude * Envelope(i, frames) * std::sin(step * static_cast<double>(i)));
    }
    return tone;
}

}  // namespace kairos
