#pragma once
// WAV files written by hand, independently of the decoder under test, and
// the test tones that go into them.

#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace kairos::testing {

enum class WavEncoding { Pcm16, Pcm24, Float32 };

// A sine at amplitude 0.5, the same on every channel, interleaved.
inline std::vector<float> SineSamples(double frequencyHz, int sampleRate, int channels, double seconds) {
    const auto frames = static_cast<std::size_t>(std::lround(seconds * sampleRate));
    std::vector<float> samples;
    samples.reserve(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const double value = 0.5 * std::sin(2.0 * std::numbers::pi * frequencyHz * static_cast<double>(i) / sampleRate);
        samples.insert(samples.end(), static_cast<std::size_t>(channels), static_cast<float>(value));
    }
    return samples;
}

namespace wav_detail {

inline void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void PutSample(std::string& out, float sample, WavEncoding encoding) {
    switch (encoding) {
    case WavEncoding::Pcm16:
        PutLittleEndian(out, static_cast<std::uint32_t>(std::lround(sample * 32767.0)), 2);
        break;
    case WavEncoding::Pcm24:
        PutLittleEndian(out, static_cast<std::uint32_t>(std::lround(sample * 8388607.0)), 3);
        break;
    case WavEncoding::Float32:
        PutLittleEndian(out, std::bit_cast<std::uint32_t>(sample), 4);
        break;
    }
}

}  // namespace wav_detail

inline int BytesPerSample(WavEncoding encoding) {
    return encoding == WavEncoding::Pcm16 ? 2 : encoding == WavEncoding::Pcm24 ? 3 : 4;
}

// A canonical RIFF/WAVE file: "fmt " (PCM or IEEE float) and "data".
inline std::string WavBytes(const std::vector<float>& samples, int sampleRate, int channels, WavEncoding encoding) {
    using wav_detail::PutLittleEndian;
    const int width = BytesPerSample(encoding);
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * static_cast<std::size_t>(width));
    std::string out = "RIFF";
    PutLittleEndian(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    PutLittleEndian(out, 16, 4);
    PutLittleEndian(out, encoding == WavEncoding::Float32 ? 3 : 1, 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(channels), 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(sampleRate), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(sampleRate * channels * width), 4);
    PutLittleEndian(out, static_cast<std::uint32_t>(channels * width), 2);
    PutLittleEndian(out, static_cast<std::uint32_t>(8 * width), 2);
    out += "data";
    PutLittleEndian(out, dataBytes, 4);
    for (const float sample : samples) wav_detail::PutSample(out, sample, encoding);
    return out;
}

}  // namespace kairos::testing
