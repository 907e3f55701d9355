#pragma once
// Reading a sound file into samples.

#include <cstddef>
#include <optional>
#include <string>

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

}  // namespace kairos::platform
