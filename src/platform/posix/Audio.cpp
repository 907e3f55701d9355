// Sound output through the PulseAudio simple API, which PipeWire desktops
// serve as well. The simple API connects and waits for its stream without any
// time limit of its own, so the connection is made on a helper thread that
// the caller gives up on after OutputConnectLimit.

#include <pulse/channelmap.h>
#include <pulse/sample.h>
#include <pulse/simple.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/Audio.h"

namespace kairos::platform {
namespace {

constexpr char ApplicationName[] = "Kairos";
constexpr char StreamName[] = "Sound";

struct SimpleFree {
    void operator()(pa_simple* stream) const noexcept { pa_simple_free(stream); }
};
using SimpleStream = std::unique_ptr<pa_simple, SimpleFree>;

struct StreamFormat {
    pa_sample_spec spec{};
    pa_channel_map map{};
};

std::optional<StreamFormat> FormatOf(const PcmSound& sound) {
    if (sound.channels <= 0 || sound.channels > static_cast<int>(PA_CHANNELS_MAX) || sound.sampleRate <= 0) return std::nullopt;
    StreamFormat format;
    format.spec.format = PA_SAMPLE_FLOAT32NE;
    format.spec.rate = static_cast<std::uint32_t>(sound.sampleRate);
    format.spec.channels = static_cast<std::uint8_t>(sound.channels);
    if (pa_sample_spec_valid(&format.spec) == 0) return std::nullopt;
    // The server's default map (AIFF) knows at most six channels; the WAVE
    // order is what the files carry and extends to any count.
    pa_channel_map_init_extend(&format.map, format.spec.channels, PA_CHANNEL_MAP_WAVEEX);
    return format;
}

// Shared by the caller and the connecting thread, so that whichever of them
// lets go last frees it, with the stream inside if the caller gave up.
struct PendingStream {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    SimpleStream stream;
};

void Connect(const std::shared_ptr<PendingStream>& pending, const StreamFormat& format) {
    SimpleStream stream(pa_simple_new(nullptr, ApplicationName, PA_STREAM_PLAYBACK, nullptr, StreamName,
                                      &format.spec, &format.map, nullptr, nullptr));
    const std::lock_guard lock(pending->mutex);
    pending->stream = std::move(stream);
    pending->finished = true;
    pending->done.notify_all();
}

// The thread is detached: a caller that gave up must not wait for it, and it
// owns nothing but its share of the pending stream.
SimpleStream OpenStream(const StreamFormat& format) {
    auto pending = std::make_shared<PendingStream>();
    try {
        std::thread([pending, format] { Connect(pending, format); }).detach();
    } catch (const std::system_error&) {
        return nullptr;
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, OutputConnectLimit, [&] { return pending->finished; })) return nullptr;
    return std::move(pending->stream);
}

}  // namespace

bool PlayPcm(const PcmSound& sound, const PlaybackStarted& started) {
    const std::optional<StreamFormat> format = FormatOf(sound);
    if (!format || sound.Frames() == 0) return false;
    const SimpleStream stream = OpenStream(*format);
    if (!stream) return false;
    if (started) started();
    // Only whole frames: a trailing partial frame would be rejected by the server.
    const std::size_t bytes = sound.Frames() * static_cast<std::size_t>(sound.channels) * sizeof(float);
    int error = 0;
    if (pa_simple_write(stream.get(), sound.samples.data(), bytes, &error) < 0) return false;
    return pa_simple_drain(stream.get(), &error) >= 0;
}

}  // namespace kairos::platform
