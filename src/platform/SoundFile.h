#pragma once
// Reading a sound file into samples.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/Audio.h"

namespace kairos::platform {

// Longer sounds are cut off here: 2^25 samples (128 MiB of floats) are
// almost six minutes of 48 kHz stereo, far beyond any chime or alarm.
inline constexpr std::size_t MaxDecodedSamples = std::size_t{1} << 25;

// The whole sound of a WAV file (any integer or float encoding), or of any
// other format the decoder reads by its header (FLAC, Ogg Vorbis, AIFF, ...),
// up to MaxDecodedSamples. Nothing for an empty name, a missing file, one that
// is not a regular file (a FIFO would block), an unknown format or a sound
// without a single frame.
std::optional<PcmSound> DecodeSoundFile(const std::string& path);

// A kind of file DecodeSoundFile reads, as a file dialog offers it.
struct SoundFileType {
    std::string name;                     // the decoder's own, e.g. "FLAC (Free Lossless Audio Codec)"
    std::vector<std::string> extensions;  // lower case, without the dot, the usual one first
};

// Every kind of file the decoder reads, in its own order. The decoder knows
// a file by its header, so the extensions only guide the eye; headerless
// (raw) samples, which it cannot read without being told their layout, are
// left out.
std::vector<SoundFileType> ReadableSoundFileTypes();

}  // namespace kairos::platform
