#pragma once
// The no-interrupt rule and the asynchronous plays behind Sounds, with the
// decoder and the output passed in so that tests can drive them without a
// sound server. The beep keeps out of the rule: it is a cue of its own, and
// one that took the gate between two chime strokes would miscount the hour.

#include <atomic>
#include <functional>
#include <optional>
#include <string>

#include "media/Sounds.h"
#include "platform/Audio.h"

namespace kairos {

// "A sound of this process is playing": taken from the start of a play to
// its end. Trivially destructible, so the process-wide one stays usable by a
// detached worker while the process runs its exit handlers.
class SoundGate {
public:
    constexpr SoundGate() = default;
    bool TryEnter() noexcept { return !busy_.exchange(true, std::memory_order_acq_rel); }
    void Leave() noexcept { busy_.store(false, std::memory_order_release); }
    bool Busy() const noexcept { return busy_.load(std::memory_order_acquire); }

private:
    std::atomic<bool> busy_{false};
};

struct SoundBackend {
    std::function<std::optional<platform::PcmSound>(const std::string& fileName)> decode;
    std::function<bool(const platform::PcmSound&, const platform::PlaybackStarted&)> output;
};

class SoundPlayer {
public:
    // The gate must outlive every asynchronous play started through it.
    SoundPlayer(SoundGate& gate, SoundBackend backend) : gate_(gate), backend_(std::move(backend)) {}

    bool PlayFile(const std::string& fileName, SoundWait wait) const;
    bool Play(platform::PcmSound sound, SoundWait wait) const;
    // Synchronously, on a stream of its own: neither waits for the gate, nor
    // is refused by it, nor holds it, so it is mixed with whatever plays.
    bool PlayAlongside(const platform::PcmSound& sound) const;

private:
    bool PlayAsync(platform::PcmSound sound) const;

    SoundGate& gate_;
    SoundBackend backend_;
};

// The gate of every sound this process plays through Sounds.
SoundGate& ProcessSoundGate();

// A player over the process gate, the sound file decoder and the real output.
SoundPlayer ProcessSoundPlayer();

}  // namespace kairos
