// Sound output through waveOut. Each sound gets a device of its own, so
// that a beep plays alongside a sound that already plays (PlaySound would
// stop it). The samples go as 32-bit float; a device that refuses float
// gets 16-bit integers. waveOutOpen talks to the audio service and has no
// time limit of its own, so it runs on a helper thread that the caller
// gives up on after OutputConnectLimit.

#include "platform/Audio.h"

#include <windows.h>
#include <mmreg.h>
#include <mmsystem.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/win32/UniqueHandle.h"

namespace kairos::platform {
namespace {

// KSDATAFORMAT_SUBTYPE_IEEE_FLOAT and _PCM, spelt out: ksmedia.h defines
// them only for a single translation unit with INITGUID.
constexpr GUID SubtypeFloat{0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID SubtypePcm{0x00000001, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
// The WAVE speaker positions cover 18 channels; more are left unassigned.
constexpr int MaskedChannels = 18;
constexpr int MaxChannels = 64;

enum class SampleType { Float, Int16 };

// The extensible form for every count: it carries the channel order of
// more than two channels, and with one or two it is taken everywhere.
WAVEFORMATEXTENSIBLE FormatOf(const PcmSound& sound, SampleType type) {
    WAVEFORMATEXTENSIBLE format{};
    const WORD bits = type == SampleType::Float ? 32 : 16;
    format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    format.Format.nChannels = static_cast<WORD>(sound.channels);
    format.Format.nSamplesPerSec = static_cast<DWORD>(sound.sampleRate);
    format.Format.wBitsPerSample = bits;
    format.Format.nBlockAlign = static_cast<WORD>(sound.channels * bits / 8);
    format.Format.nAvgBytesPerSec = format.Format.nSamplesPerSec * format.Format.nBlockAlign;
    format.Format.cbSize = sizeof format - sizeof format.Format;
    format.Samples.wValidBitsPerSample = bits;
    format.dwChannelMask = sound.channels <= MaskedChannels ? (DWORD{1} << sound.channels) - 1 : 0;
    format.SubFormat = type == SampleType::Float ? SubtypeFloat : SubtypePcm;
    return format;
}

// Clamped, and silence for what is no number: float-to-integer conversion of
// those is undefined.
std::vector<std::int16_t> ToInt16(const std::vector<float>& samples) {
    std::vector<std::int16_t> converted(samples.size());
    std::transform(samples.begin(), samples.end(), converted.begin(), [](float sample) {
        const float bounded = std::isfinite(sample) ? std::clamp(sample, -1.0F, 1.0F) : 0.0F;
        return static_cast<std::int16_t>(std::lround(bounded * 32767.0F));
    });
    return converted;
}

class WaveDevice {
public:
    WaveDevice() = default;
    explicit WaveDevice(HWAVEOUT device) : device_(device) {}
    ~WaveDevice() { Close(); }
    WaveDevice(WaveDevice&& other) noexcept : device_(std::exchange(other.device_, nullptr)) {}
    WaveDevice& operator=(WaveDevice&& other) noexcept {
        if (this != &other) {
            Close();
            device_ = std::exchange(other.device_, nullptr);
        }
        return *this;
    }
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;
    HWAVEOUT Get() const { return device_; }

private:
    void Close() noexcept {
        if (device_ == nullptr) return;
        waveOutReset(device_);
        waveOutClose(std::exchange(device_, nullptr));
    }

    HWAVEOUT device_ = nullptr;
};

// A buffer made known to the device; handed back (stopping the device if
// it still plays it) before the device closes.
class PreparedBuffer {
public:
    PreparedBuffer(HWAVEOUT device, const void* data, std::size_t bytes) : device_(device) {
        header_.lpData = static_cast<LPSTR>(const_cast<void*>(data));
        header_.dwBufferLength = static_cast<DWORD>(bytes);
        prepared_ = waveOutPrepareHeader(device_, &header_, sizeof header_) == MMSYSERR_NOERROR;
    }
    ~PreparedBuffer() {
        if (!prepared_) return;
        if (!Done()) waveOutReset(device_);
        waveOutUnprepareHeader(device_, &header_, sizeof header_);
    }
    PreparedBuffer(const PreparedBuffer&) = delete;
    PreparedBuffer& operator=(const PreparedBuffer&) = delete;

    bool Prepared() const { return prepared_; }
    bool Write() { return waveOutWrite(device_, &header_, sizeof header_) == MMSYSERR_NOERROR; }
    bool Done() const { return (header_.dwFlags & WHDR_DONE) != 0; }

private:
    HWAVEOUT device_;
    WAVEHDR header_{};
    bool prepared_ = false;
};

// Shared by the caller and the opening thread: whichever lets go last
// frees it, and a device opened after the caller gave up is closed by the
// thread at once. The event outlives the device it signals.
struct PendingDevice {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool abandoned = false;
    MMRESULT result = MMSYSERR_ERROR;
    HWAVEOUT device = nullptr;
    UniqueHandle event{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
};

void Open(const std::shared_ptr<PendingDevice>& pending, WAVEFORMATEXTENSIBLE format) {
    HWAVEOUT device = nullptr;
    const MMRESULT result = waveOutOpen(&device, WAVE_MAPPER, &format.Format,
                                        reinterpret_cast<DWORD_PTR>(pending->event.Get()), 0, CALLBACK_EVENT);
    const std::lock_guard lock(pending->mutex);
    if (pending->abandoned) {
        if (result == MMSYSERR_NOERROR) waveOutClose(device);
        return;
    }
    pending->result = result;
    pending->device = result == MMSYSERR_NOERROR ? device : nullptr;
    pending->finished = true;
    pending->done.notify_all();
}

// The device, or the reason there is none; nothing when the open did not
// finish in time.
std::optional<MMRESULT> OpenDevice(const std::shared_ptr<PendingDevice>& pending, const WAVEFORMATEXTENSIBLE& format,
                                   WaveDevice& device) {
    try {
        std::thread([pending, format] { Open(pending, format); }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, OutputConnectLimit, [&] { return pending->finished; })) {
        pending->abandoned = true;
        return std::nullopt;
    }
    device = WaveDevice(std::exchange(pending->device, nullptr));
    return pending->result;
}

// Float first; integers only when the device refuses the format.
std::optional<std::pair<WaveDevice, SampleType>> OpenForSound(const PcmSound& sound,
                                                              const std::shared_ptr<PendingDevice>& pending) {
    for (const SampleType type : {SampleType::Float, SampleType::Int16}) {
        WaveDevice device;
        const std::optional<MMRESULT> result = OpenDevice(pending, FormatOf(sound, type), device);
        if (!result) return std::nullopt;
        if (*result == MMSYSERR_NOERROR) return std::pair{std::move(device), type};
        if (*result != WAVERR_BADFORMAT) return std::nullopt;
        const std::lock_guard lock(pending->mutex);
        pending->finished = false;
    }
    return std::nullopt;
}

// The device signals the event when it opens, when the buffer is done and
// when it closes; only the buffer's flag tells which. A device that plays
// far longer than the sound lasts has stalled.
bool WaitUntilDone(const PreparedBuffer& buffer, HANDLE event, const PcmSound& sound) {
    const auto length = std::chrono::milliseconds(
        static_cast<std::int64_t>(sound.Frames()) * 1000 / sound.sampleRate + 1);
    const auto deadline = std::chrono::steady_clock::now() + length + OutputConnectLimit;
    while (!buffer.Done()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        WaitForSingleObject(event, static_cast<DWORD>(std::min<std::int64_t>(left.count(), INFINITE - 1)));
    }
    return true;
}

}  // namespace

bool PlayPcm(const PcmSound& sound, const PlaybackStarted& started) {
    if (sound.channels <= 0 || sound.channels > MaxChannels || sound.sampleRate <= 0 || sound.Frames() == 0)
        return false;
    const auto pending = std::make_shared<PendingDevice>();
    if (!pending->event.IsOpen()) return false;
    auto opened = OpenForSound(sound, pending);
    if (!opened) return false;
    const WaveDevice device = std::move(opened->first);
    const std::size_t samples = sound.Frames() * static_cast<std::size_t>(sound.channels);
    std::vector<std::int16_t> integers;
    if (opened->second == SampleType::Int16) integers = ToInt16(sound.samples);
    const void* data = integers.empty() ? static_cast<const void*>(sound.samples.data()) : integers.data();
    const std::size_t bytes = samples * (integers.empty() ? sizeof(float) : sizeof(std::int16_t));
    PreparedBuffer buffer(device.Get(), data, bytes);
    if (!buffer.Prepared()) return false;
    if (started) started();
    return buffer.Write() && WaitUntilDone(buffer, pending->event.Get(), sound);
}

}  // namespace kairos::platform
