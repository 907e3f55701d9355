#include "platform/WavFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "support/WavFile.h"

namespace kairos::platform {
namespace {

void Put(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Chunk(std::string_view id, std::string_view body) {
    std::string out(id);
    Put(out, body.size(), 4);
    out += body;
    if (body.size() % 2 != 0) out += '\0';
    return out;
}

// A "fmt " body: plain, or WAVE_FORMAT_EXTENSIBLE around the same tag.
std::string FormatBody(int tag, int channels, int rate, int bits, bool extensible = false, int blockAlign = -1) {
    std::string out;
    Put(out, extensible ? 0xFFFE : tag, 2);
    Put(out, channels, 2);
    Put(out, rate, 4);
    Put(out, rate * channels * bits / 8, 4);
    Put(out, blockAlign >= 0 ? blockAlign : channels * bits / 8, 2);
    Put(out, bits, 2);
    if (!extensible) return out;
    Put(out, 22, 2);
    Put(out, bits, 2);
    Put(out, 0, 4);
    Put(out, tag, 2);
    out += std::string_view("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    return out;
}

std::string Wave(const std::vector<std::string>& chunks) {
    std::string body = "WAVE";
    for (const std::string& chunk : chunks) body += chunk;
    std::string out = "RIFF";
    Put(out, body.size(), 4);
    return out + body;
}

struct FormatCase {
    const char* name;
    std::string format;
    std::string data;
    int channels;
    std::vector<float> expected;
};

std::ostream& operator<<(std::ostream& out, const FormatCase& c) {
    return out << c.name;
}

std::string Bytes(std::initializer_list<std::uint64_t> values, int width) {
    std::string out;
    for (const std::uint64_t value : values) Put(out, value, width);
    return out;
}

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, GiveFullScaleFloats) {
    const FormatCase& c = GetParam();
    const auto sound = DecodeWav(Wave({Chunk("fmt ", c.format), Chunk("data", c.data)}));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->sampleRate, 8000);
    EXPECT_EQ(sound->channels, c.channels);
    EXPECT_EQ(sound->samples, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Formats,
    ::testing::Values(
        FormatCase{"pcm8", FormatBody(1, 1, 8000, 8), Bytes({0, 128, 255}, 1), 1, {-1.0F, 0.0F, 127.0F / 128}},
        FormatCase{"pcm16 stereo", FormatBody(1, 2, 8000, 16), Bytes({0x8000, 0x4000}, 2), 2, {-1.0F, 0.5F}},
        FormatCase{"pcm24", FormatBody(1, 1, 8000, 24), Bytes({0x800000, 0xC00000, 0x400000}, 3), 1, {-1.0F, -0.5F, 0.5F}},
        FormatCase{"pcm32", FormatBody(1, 1, 8000, 32), Bytes({0x80000000, 0x40000000}, 4), 1, {-1.0F, 0.5F}},
        FormatCase{"float32", FormatBody(3, 1, 8000, 32), Bytes({std::bit_cast<std::uint32_t>(0.25F)}, 4), 1, {0.25F}},
        FormatCase{"float64", FormatBody(3, 1, 8000, 64), Bytes({std::bit_cast<std::uint64_t>(-0.75)}, 8), 1, {-0.75F}},
        FormatCase{"float64 beyond a float", FormatBody(3, 1, 8000, 64), Bytes({std::bit_cast<std::uint64_t>(1e300)}, 8),
                   1, {0.0F}},
        FormatCase{"float not finite", FormatBody(3, 1, 8000, 32),
                   Bytes({std::bit_cast<std::uint32_t>(std::numeric_limits<float>::quiet_NaN()),
                          std::bit_cast<std::uint32_t>(std::numeric_limits<float>::infinity())}, 4),
                   1, {0.0F, 0.0F}},
        FormatCase{"extensible pcm16, 3 channels", FormatBody(1, 3, 8000, 16, true), Bytes({0x4000, 0, 0x8000}, 2), 3,
                   {0.5F, 0.0F, -1.0F}},
        FormatCase{"extensible float", FormatBody(3, 1, 8000, 32, true), Bytes({std::bit_cast<std::uint32_t>(0.5F)}, 4), 1,
                   {0.5F}},
        FormatCase{"partial last frame", FormatBody(1, 2, 8000, 16), Bytes({0x4000, 0x4000, 0x4000}, 2), 2, {0.5F, 0.5F}}));

// The writer of the test suite's own files, read back through the reader.
TEST(WavFile, ReadsWhatTheTestWriterWrites) {
    const std::vector<float> samples = testing::SineSamples(440, 22050, 2, 0.01);
    for (const auto encoding : {testing::WavEncoding::Pcm16, testing::WavEncoding::Pcm24, testing::WavEncoding::Float32}) {
        const auto sound = DecodeWav(testing::WavBytes(samples, 22050, 2, encoding));
        ASSERT_TRUE(sound);
        ASSERT_EQ(sound->samples.size(), samples.size());
        for (std::size_t i = 0; i < samples.size(); ++i) EXPECT_NEAR(sound->samples[i], samples[i], 1e-4);
    }
}

// Chunks before, between and after, an odd one with its pad byte, a RIFF
// size that lies, a data chunk longer than the file, and the sample cap.
TEST(WavFile, FindsItsChunksAndTakesWhatIsThere) {
    const std::string format = Chunk("fmt ", FormatBody(1, 1, 8000, 16));
    std::string wave = Wave({Chunk("LIST", "odd"), format, Chunk("fact", "1234"), Chunk("data", Bytes({0x4000, 0x2000}, 2))});
    wave.replace(4, 4, std::string(4, '\xFF'));
    const auto padded = DecodeWav(wave);
    ASSERT_TRUE(padded);
    EXPECT_EQ(padded->samples, (std::vector<float>{0.5F, 0.25F}));

    std::string cut = Wave({format, Chunk("data", Bytes({0x4000, 0x2000, 0x1000}, 2))});
    cut.resize(cut.size() - 3);
    const auto partial = DecodeWav(cut);
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->samples, (std::vector<float>{0.5F}));

    const auto capped = DecodeWav(Wave({Chunk("fmt ", FormatBody(1, 2, 8000, 16)), Chunk("data", Bytes({1, 2, 3, 4, 5, 6}, 2))}), 5);
    ASSERT_TRUE(capped);
    EXPECT_EQ(capped->samples.size(), 4u);
}

TEST(WavFile, RefusesWhatIsNoSoundItCanRead) {
    const std::string data = Chunk("data", Bytes({0x4000, 0x4000}, 2));
    const std::string fmt16 = Chunk("fmt ", FormatBody(1, 1, 8000, 16));
    std::string extensibleWrongGuid = FormatBody(1, 1, 8000, 16, true);
    extensibleWrongGuid.back() = 'x';
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no RIFF", "RIFX" + Wave({fmt16, data}).substr(4)},
        {"no WAVE", Wave({fmt16, data}).replace(8, 4, "AVI ")},
        {"header only", "RIFF\x04\0\0\0WAVE"},
        {"no data", Wave({fmt16})},
        {"no fmt", Wave({data})},
        {"data before fmt only", Wave({data})},
        {"empty data", Wave({fmt16, Chunk("data", "")})},
        {"fmt too short", Wave({Chunk("fmt ", FormatBody(1, 1, 8000, 16).substr(0, 14)), data})},
        {"fmt longer than the file", Wave({fmt16}).substr(0, 30)},
        {"two fmt", Wave({fmt16, fmt16, data})},
        {"no channels", Wave({Chunk("fmt ", FormatBody(1, 0, 8000, 16)), data})},
        {"rate 0", Wave({Chunk("fmt ", FormatBody(1, 1, 0, 16)), data})},
        {"12 bits", Wave({Chunk("fmt ", FormatBody(1, 1, 8000, 12)), data})},
        {"float 16", Wave({Chunk("fmt ", FormatBody(3, 1, 8000, 16)), data})},
        {"A-law", Wave({Chunk("fmt ", FormatBody(6, 1, 8000, 8)), data})},
        {"block size not a frame", Wave({Chunk("fmt ", FormatBody(1, 1, 8000, 16, false, 4)), data})},
        {"extensible, foreign GUID", Wave({Chunk("fmt ", extensibleWrongGuid), data})},
        {"extensible, too short", Wave({Chunk("fmt ", FormatBody(1, 1, 8000, 16, true).substr(0, 30)), data})},
        {"less than a frame", Wave({Chunk("fmt ", FormatBody(1, 2, 8000, 16)), Chunk("data", "\1\2")})},
    };
    for (const auto& [name, bytes] : cases) EXPECT_FALSE(DecodeWav(bytes)) << name;
}

}  // namespace
}  // namespace kairos::platform
