// Any bytes as a WAV file: the reader either refuses them or gives a sound
// with a rate, at least one channel and at least one whole frame, every
// sample a finite number, and no more samples than the cap. A smaller cap
// gives the start of the same sound, cut at a whole frame.
//
// Input: the file's bytes.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "platform/WavFile.h"

namespace {

using kairos::platform::DecodeWav;
using kairos::platform::PcmSound;

constexpr std::size_t SmallCap = 7;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "broken invariant: %s\n", what);
    std::abort();
}

void CheckSound(const PcmSound& sound, std::size_t cap) {
    if (sound.sampleRate <= 0 || sound.channels <= 0) Fail("no rate or no channels");
    if (sound.samples.empty() || sound.samples.size() % static_cast<std::size_t>(sound.channels) != 0)
        Fail("not a whole number of frames");
    if (sound.samples.size() > cap) Fail("more samples than the cap");
    if (!std::all_of(sound.samples.begin(), sound.samples.end(), [](float s) { return std::isfinite(s); }))
        Fail("a sample that is no finite number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto sound = DecodeWav(bytes);
    const auto capped = DecodeWav(bytes, SmallCap);
    if (!sound) {
        if (capped) Fail("refused without a cap, read with one");
        return 0;
    }
    CheckSound(*sound, kairos::platform::MaxDecodedSamples);
    if (static_cast<std::size_t>(sound->channels) > SmallCap) {
        if (capped) Fail("a frame wider than the cap was read");
        return 0;
    }
    if (!capped) Fail("read without a cap, refused with one");
    CheckSound(*capped, SmallCap);
    if (capped->sampleRate != sound->sampleRate || capped->channels != sound->channels ||
        !std::equal(capped->samples.begin(), capped->samples.end(), sound->samples.begin()))
        Fail("the capped sound is not the start of the whole one");
    return 0;
}
