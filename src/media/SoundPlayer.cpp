#include "media/SoundPlayer.h"

#include <future>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/SoundFile.h"

namespace kairos {
namespace {

constinit SoundGate processGate;

// Holds the gate from the start of a play to its end; movable, so that an
// asynchronous play hands it to its worker.
class GateLease {
public:
    explicit GateLease(SoundGate& gate) : gate_(&gate) {}
    GateLease(GateLease&& other) noexcept : gate_(std::exchange(other.gate_, nullptr)) {}
    GateLease(const GateLease&) = delete;
    GateLease& operator=(const GateLease&) = delete;
    GateLease& operator=(GateLease&&) = delete;
    ~GateLease() { Release(); }

    void Release() noexcept {
        if (gate_ != nullptr) std::exchange(gate_, nullptr)->Leave();
    }

private:
    SoundGate* gate_;
};

using PlayOutput = std::function<bool(const platform::PcmSound&, const platform::PlaybackStarted&)>;

// The worker's body. A failed start frees the gate before the caller learns
// of it, so that the caller's next sound is not refused by its own failure.
void PlayOnWorker(GateLease lease, const PlayOutput& output, const platform::PcmSound& sound,
                  std::promise<bool>& started) {
    bool told = false;
    output(sound, [&] {
        if (std::exchange(told, true)) return;
        started.set_value(true);
    });
    lease.Release();
    if (!told) started.set_value(false);
}

}  // namespace

bool SoundPlayer::PlayFile(const std::string& fileName, SoundWait wait) const {
    // Fail at once while a sound plays, without decoding first.
    if (fileName.empty() || gate_.Busy()) return false;
    std::optional<platform::PcmSound> sound = backend_.decode(fileName);
    return sound && Play(std::move(*sound), wait);
}

bool SoundPlayer::Play(platform::PcmSound sound, SoundWait wait) const {
    if (wait == SoundWait::Async) return PlayAsync(std::move(sound));
    if (!gate_.TryEnter()) return false;
    const GateLease lease(gate_);
    return backend_.output(sound, {});
}

bool SoundPlayer::PlayAlongside(const platform::PcmSound& sound) const {
    return backend_.output(sound, {});
}

// The worker owns the samples, a copy of the output and the gate's lease,
// and is detached: the caller waits only for the start.
bool SoundPlayer::PlayAsync(platform::PcmSound sound) const {
    if (!gate_.TryEnter()) return false;
    GateLease lease(gate_);
    std::promise<bool> started;
    std::future<bool> hasStarted = started.get_future();
    try {
        std::thread([lease = std::move(lease), output = backend_.output, sound = std::move(sound),
                     started = std::move(started)]() mutable {
            PlayOnWorker(std::move(lease), output, sound, started);
        }).detach();
    } catch (const std::system_error&) {
        return false;  // the lease went with the thread's state and freed the gate
    }
    return hasStarted.get();
}

SoundGate& ProcessSoundGate() {
    return processGate;
}

SoundPlayer ProcessSoundPlayer() {
    return SoundPlayer(processGate, SoundBackend{&platform::DecodeSoundFile, &platform::PlayPcm});
}

}  // namespace kairos
