#pragma once
// Sound output: a finished buffer of samples to the desktop's default output,
// heard to its end before the call returns.

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

namespace kairos::platform {

// Interleaved 32-bit float samples, full scale at -1 and 1. Float carries
// every integer format up to 24 bits exactly, so one type serves all files.
struct PcmSound {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;

    std::size_t Frames() const {
        return channels > 0 ? samples.size() / static_cast<std::size_t>(channels) : 0;
    }
};

// Called at most once, on the playing thread, as soon as the output has
// accepted the sound and before its first sample is handed over.
using PlaybackStarted = std::function<void()>;

// How long PlayPcm waits for an output to accept a sound before it gives up:
// a sound server that hangs must not hold the caller for its own 30-second
// protocol timeout.
inline constexpr std::chrono::milliseconds OutputConnectLimit{2000};

// Plays the sound on the default output and returns once the output has
// drained it. False, and nothing heard, when no output takes the sound within
// OutputConnectLimit (no sound server, no device), when its rate or channel
// count cannot be played, or when it holds no whole frame; also false when
// the stream breaks off while playing.
bool PlayPcm(const PcmSound& sound, const PlaybackStarted& started);

}  // namespace kairos::platform
