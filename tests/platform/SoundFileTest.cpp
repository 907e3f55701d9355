#include "platform/SoundFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/TempDir.h"
#include "support/WavFile.h"

namespace kairos::platform {
namespace {

using testing::SineSamples;
using testing::TempDir;
using testing::WavBytes;
using testing::WavEncoding;

struct EncodingCase {
    const char* name;
    WavEncoding encoding;
    int sampleRate;
    int channels;
    float tolerance;  // the encoding's quantisation
};

std::ostream& operator<<(std::ostream& out, const EncodingCase& param) {
    return out << param.name;
}

class DecodeEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(DecodeEncodingTest, GivesBackTheWrittenSamplesWithRateAndChannels) {
    const EncodingCase& param = GetParam();
    std::vector<float> samples = SineSamples(440.0, param.sampleRate, param.channels, 0.05);
    // Each channel its own level, so that swapped or merged channels show.
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] *= 1.0f - 0.1f * static_cast<float>(i % static_cast<std::size_t>(param.channels));
    TempDir dir;
    const auto sound =
        DecodeSoundFile(dir.Write("tone.wav", WavBytes(samples, param.sampleRate, param.channels, param.encoding)));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, param.sampleRate);
    EXPECT_EQ(sound->channels, param.channels);
    ASSERT_EQ(sound->samples.size(), samples.size());
    float worst = 0.0f;
    for (std::size_t i = 0; i < samples.size(); ++i) worst = std::max(worst, std::fabs(sound->samples[i] - samples[i]));
    EXPECT_LE(worst, param.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Wav, DecodeEncodingTest,
                         ::testing::Values(EncodingCase{"Pcm16Mono48k", WavEncoding::Pcm16, 48000, 1, 1.0f / 16384},
                                           EncodingCase{"Pcm16Stereo22k", WavEncoding::Pcm16, 22050, 2, 1.0f / 16384},
                                           EncodingCase{"Pcm24Stereo44k", WavEncoding::Pcm24, 44100, 2, 1.0f / 4194304},
                                           EncodingCase{"Float32Mono8k", WavEncoding::Float32, 8000, 1, 0.0f},
                                           EncodingCase{"Float32EightChannels", WavEncoding::Float32, 48000, 8, 0.0f}),
                         [](const auto& info) { return std::string(info.param.name); });

std::string ValidWav() {  // 800 frames of 2 bytes after a 44-byte header
    return WavBytes(SineSamples(440.0, 8000, 1, 0.1), 8000, 1, WavEncoding::Pcm16);
}

TEST(DecodeSoundFileTest, UnplayableFilesGiveNothing) {
    TempDir dir;
    // Opening a FIFO for reading waits for a writer: the decoder must not.
    const std::string fifo = dir.File("fifo.wav");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {std::string(), dir.File("missing.wav"), dir.Path().string(), fifo,
                                    dir.Write("text.wav", "RIFF? no, just words"),
                                    dir.Write("cut.wav", ValidWav().substr(0, 30)),
                                    dir.Write("empty.wav", WavBytes({}, 48000, 1, WavEncoding::Pcm16))})
        EXPECT_FALSE(DecodeSoundFile(path)) << path;
}

// A download cut off in the middle: the header promises more than there is.
TEST(DecodeSoundFileTest, PlaysWhatACutOffFileHolds) {
    TempDir dir;
    const auto sound = DecodeSoundFile(dir.Write("cut.wav", ValidWav().substr(0, 44 + 2 * 300)));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->Frames(), 300u);
}

// Debian's libsndfile is built with FLAC, Ogg and MPEG; the dialogs offer
// what the decoder reads, and nothing it cannot read.
TEST(ReadableSoundFileTypesTest, NameTheTypesTheDecoderReadsWithTheirExtensions) {
    const std::vector<SoundFileType> types = ReadableSoundFileTypes();
    const auto extensionsOf = [&types](std::string_view prefix) {
        for (const SoundFileType& type : types)
            if (type.name.starts_with(prefix)) return type.extensions;
        return std::vector<std::string>{};
    };
    struct Case {
        const char* type;
        std::vector<std::string> extensions;  // the first is the usual one
    };
    for (const Case& c : std::vector<Case>{{"WAV (Microsoft)", {"wav"}},
                                           {"FLAC", {"flac"}},
                                           {"OGG", {"oga", "ogg", "opus"}},
                                           {"AIFF", {"aiff", "aifc", "aif"}},
                                           {"MPEG", {"m1a", "mp3"}},
                                           {"RAW", {}}}) {
        const std::vector<std::string> found = extensionsOf(c.type);
        EXPECT_EQ(found.empty(), c.extensions.empty()) << c.type;
        if (!found.empty()) {
            EXPECT_EQ(found.front(), c.extensions.front()) << c.type;
        }
        for (const std::string& extension : c.extensions)
            EXPECT_NE(std::find(found.begin(), found.end(), extension), found.end()) << c.type << " " << extension;
    }
    for (const SoundFileType& type : types)
        for (const std::string& extension : type.extensions)
            EXPECT_TRUE(!extension.empty() && extension.find_first_of(". *ABCDEFGHIJKLMNOPQRSTUVWXYZ") == extension.npos)
                << type.name << ": " << extension;
}

}  // namespace
}  // namespace kairos::platform
