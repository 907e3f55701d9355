#include "platform/WavFile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace kairos::platform {
namespace {

constexpr std::uint16_t FormatPcm = 1;
constexpr std::uint16_t FormatFloat = 3;
constexpr std::uint16_t FormatExtensible = 0xFFFE;
constexpr std::size_t ChunkHeaderBytes = 8;
constexpr std::size_t PlainFormatBytes = 16;
constexpr std::size_t ExtensibleFormatBytes = 40;

// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE after its leading 16-bit
// format code: {xxxx0000-0000-0010-8000-00AA00389B71}.
constexpr std::string_view SubFormatTail{"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14};

std::uint32_t ReadLittleEndian(std::string_view bytes, std::size_t at, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

enum class Encoding { Pcm, Float };

struct Format {
    Encoding encoding = Encoding::Pcm;
    int channels = 0;
    int sampleRate = 0;
    int bytesPerSample = 0;
};

bool IsSupported(Encoding encoding, int bits) {
    if (encoding == Encoding::Float) return bits == 32 || bits == 64;
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The "fmt " chunk's body. The block size must be the frame size: a file
// where they differ is one whose layout is unknown.
std::optional<Format> ParseFormat(std::string_view body) {
    if (body.size() < PlainFormatBytes) return std::nullopt;
    std::uint32_t tag = ReadLittleEndian(body, 0, 2);
    if (tag == FormatExtensible) {
        if (body.size() < ExtensibleFormatBytes || body.substr(26, SubFormatTail.size()) != SubFormatTail)
            return std::nullopt;
        tag = ReadLittleEndian(body, 24, 2);
    }
    if (tag != FormatPcm && tag != FormatFloat) return std::nullopt;
    Format format;
    format.encoding = tag == FormatFloat ? Encoding::Float : Encoding::Pcm;
    format.channels = static_cast<int>(ReadLittleEndian(body, 2, 2));
    const std::uint32_t rate = ReadLittleEndian(body, 4, 4);
    const std::uint32_t blockAlign = ReadLittleEndian(body, 12, 2);
    const auto bits = static_cast<int>(ReadLittleEndian(body, 14, 2));
    if (format.channels == 0 || rate == 0 || rate > INT32_MAX || !IsSupported(format.encoding, bits)) return std::nullopt;
    format.sampleRate = static_cast<int>(rate);
    format.bytesPerSample = bits / 8;
    if (blockAlign != static_cast<std::uint32_t>(format.channels * format.bytesPerSample)) return std::nullopt;
    return format;
}

float Sample(std::string_view bytes, std::size_t at, const Format& format) {
    const std::uint32_t raw = ReadLittleEndian(bytes, at, format.bytesPerSample == 8 ? 4 : format.bytesPerSample);
    if (format.encoding == Encoding::Float) {
        double value = 0;
        if (format.bytesPerSample == 4) {
            value = std::bit_cast<float>(raw);
        } else {
            const std::uint64_t high = ReadLittleEndian(bytes, at + 4, 4);
            value = std::bit_cast<double>((high << 32) | raw);
        }
        // Beyond a float's range the conversion would be undefined.
        const bool usable = std::isfinite(value) && std::abs(value) <= std::numeric_limits<float>::max();
        return usable ? static_cast<float>(value) : 0.0F;
    }
    switch (format.bytesPerSample) {
        case 1: return (static_cast<float>(raw) - 128.0F) / 128.0F;
        case 2: return static_cast<float>(static_cast<std::int16_t>(raw)) / 32768.0F;
        case 3: return static_cast<float>(static_cast<std::int32_t>(raw << 8) >> 8) / 8388608.0F;
        default: return static_cast<float>(static_cast<double>(static_cast<std::int32_t>(raw)) / 2147483648.0);
    }
}

PcmSound DecodeData(std::string_view data, const Format& format, std::size_t maxSamples) {
    const auto channels = static_cast<std::size_t>(format.channels);
    const std::size_t frameBytes = channels * static_cast<std::size_t>(format.bytesPerSample);
    const std::size_t frames = std::min(data.size() / frameBytes, maxSamples / channels);
    PcmSound sound{format.sampleRate, format.channels, {}};
    sound.samples.resize(frames * channels);
    for (std::size_t i = 0; i < sound.samples.size(); ++i)
        sound.samples[i] = Sample(data, i * static_cast<std::size_t>(format.bytesPerSample), format);
    return sound;
}

}  // namespace

std::optional<PcmSound> DecodeWav(std::string_view bytes, std::size_t maxSamples) {
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE") return std::nullopt;
    std::optional<Format> format;
    std::optional<std::string_view> data;
    // The RIFF size is not trusted: streaming writers leave it 0 or at its
    // maximum. The chunks run to the end of the bytes.
    std::size_t at = 12;
    while (bytes.size() - at >= ChunkHeaderBytes && !(format && data)) {
        const std::string_view id = bytes.substr(at, 4);
        const std::size_t size = ReadLittleEndian(bytes, at + 4, 4);
        at += ChunkHeaderBytes;
        const std::size_t available = bytes.size() - at;
        if (id == "data") {
            data = bytes.substr(at, std::min(size, available));
        } else if (id == "fmt ") {
            if (size > available || format) return std::nullopt;
            format = ParseFormat(bytes.substr(at, size));
            if (!format) return std::nullopt;
        }
        if (size >= available) break;
        at += size + (size % 2);
        at = std::min(at, bytes.size());
    }
    if (!format || !data) return std::nullopt;
    PcmSound sound = DecodeData(*data, *format, maxSamples);
    if (sound.samples.empty()) return std::nullopt;
    return sound;
}

}  // namespace kairos::platform
