#pragma once
// A reader of RIFF/WAVE sound files, for the systems whose own libraries
// offer none that decodes into memory (Windows). A sound file comes from
// anywhere, so every size in it is checked against the bytes there are.

#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Audio.h"
#include "platform/SoundFile.h"

namespace kairos::platform {

// The sound of a WAV file's bytes: integer PCM of 8 (unsigned), 16, 24 or 32
// bits, IEEE float of 32 or 64 bits, plain or as WAVE_FORMAT_EXTENSIBLE, any
// number of channels. Chunks other than "fmt " and "data" are skipped (with
// their pad byte when odd). A "data" chunk longer than the file (a cut-off
// download) gives what is there; a partial last frame is dropped; more than
// maxSamples samples are cut off at a whole frame. Float samples that are no
// number, infinite or beyond a 32-bit float's range become silence. Nothing
// for anything else, and for a sound without a single frame.
std::optional<PcmSound> DecodeWav(std::string_view bytes, std::size_t maxSamples = MaxDecodedSamples);

}  // namespace kairos::platform
