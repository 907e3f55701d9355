// Sound on Windows: WAV files by name, the user's sound scheme, and waveOut
// playing into the test sound server's null sink through wine's PulseAudio
// driver.

#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>

#include "platform/Audio.h"
#include "platform/SoundFile.h"
#include "platform/SoundTheme.h"
#include "media/SignalAnalysis.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"
#include "support/WavFile.h"

namespace kairos::platform {
namespace {

TEST(WindowsSoundFile, ReadsAWavFileByAJapaneseNameAndNothingElse) {
    const testing::TempDir temp;
    const std::filesystem::path file = temp.Path() / PathFromUtf8("時報 の 音.wav");
    const std::vector<float> samples = testing::SineSamples(440, 8000, 1, 0.05);
    std::ofstream(file, std::ios::binary) << testing::WavBytes(samples, 8000, 1, testing::WavEncoding::Pcm16);
    const auto sound = DecodeSoundFile(Narrow(file.wstring()));
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->samples.size(), samples.size());
    std::ofstream(temp.Path() / L"empty.wav", std::ios::binary).flush();
    for (const std::filesystem::path& other : {temp.Path(), temp.Path() / L"missing.wav", temp.Path() / L"empty.wav"})
        EXPECT_FALSE(DecodeSoundFile(Narrow(other.wstring()))) << other;
    EXPECT_FALSE(DecodeSoundFile(""));
    ASSERT_EQ(ReadableSoundFileTypes().size(), 1u);
    EXPECT_EQ(ReadableSoundFileTypes()[0].extensions, std::vector<std::string>{"wav"});
}

// An alias of the user's scheme, written for the test and removed after it.
class SchemeAlias : public ::testing::Test {
protected:
    static constexpr const wchar_t* Alias = L"KairosTestEvent";
    static constexpr const wchar_t* Key = L"AppEvents\\Schemes\\Apps\\.Default\\KairosTestEvent\\.Current";

    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"AppEvents\\Schemes\\Apps\\.Default\\KairosTestEvent"); }

    static void SetValue(DWORD type, const std::wstring& value) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
};

TEST_F(SchemeAlias, GivesTheSchemeFileWithVariablesExpanded) {
    EXPECT_EQ(EventSoundFile("KairosTestEvent"), "");
    // Wide: the C runtime's _putenv_s would take the name in the ANSI code page.
    SetEnvironmentVariableW(L"KAIROS_SOUNDS", L"C:\\音");
    SetValue(REG_EXPAND_SZ, L"%KAIROS_SOUNDS%\\ding.wav");
    EXPECT_EQ(EventSoundFile("KairosTestEvent"), "C:\\音\\ding.wav");
    SetValue(REG_SZ, L"C:\\plain\\%NOT_EXPANDED%.wav");
    EXPECT_EQ(EventSoundFile("KairosTestEvent"), "C:\\plain\\%NOT_EXPANDED%.wav");
    SetValue(REG_SZ, L"chord.wav");
    const std::string media = EventSoundFile("KairosTestEvent");
    EXPECT_TRUE(media.ends_with("\\Media\\chord.wav")) << media;
    SetValue(REG_SZ, L"");
    EXPECT_EQ(EventSoundFile("KairosTestEvent"), "");
    EXPECT_EQ(EventSoundFile("KairosTestEvent\\..\\Other"), "");
    EXPECT_EQ(EventSoundFile(""), "");
    SetEnvironmentVariableW(L"KAIROS_SOUNDS", nullptr);
}

// Records the default capture device, which on the test sound server is
// the null sink's monitor, through wine's PulseAudio driver as well: mono
// 16-bit at 48 kHz into one buffer of a few seconds.
class MonitorRecorder {
public:
    static constexpr int Rate = 48000;

    MonitorRecorder() : buffer_(Rate * 4) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, Rate, Rate * 2, 2, 16, 0};
        if (waveInOpen(&device_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return;
        header_.lpData = reinterpret_cast<LPSTR>(buffer_.data());
        header_.dwBufferLength = static_cast<DWORD>(buffer_.size() * sizeof(std::int16_t));
        recording_ = waveInPrepareHeader(device_, &header_, sizeof header_) == MMSYSERR_NOERROR &&
                     waveInAddBuffer(device_, &header_, sizeof header_) == MMSYSERR_NOERROR &&
                     waveInStart(device_) == MMSYSERR_NOERROR;
    }
    ~MonitorRecorder() {
        if (device_ == nullptr) return;
        waveInReset(device_);
        waveInUnprepareHeader(device_, &header_, sizeof header_);
        waveInClose(device_);
    }
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool Recording() const { return recording_; }

    std::vector<float> Stop() {
        waveInReset(device_);
        std::vector<float> samples(header_.dwBytesRecorded / sizeof(std::int16_t));
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(buffer_[i]) / 32768.0F;
        return samples;
    }

private:
    std::vector<std::int16_t> buffer_;
    HWAVEIN device_ = nullptr;
    WAVEHDR header_{};
    bool recording_ = false;
};

// Wine plays through PulseAudio into the test server's null sink: the
// sound is heard there whole, at its pitch, and PlayPcm returns once it has
// played, not before.
TEST(WindowsAudio, PlaysIntoTheSoundServer) {
    if (std::getenv("PULSE_SERVER") == nullptr)
        GTEST_SKIP() << "PULSE_SERVER is not set: start the test sound server with eval \"$(scripts/start-pulse.sh)\"";
    for (const int channels : {1, 2, 6}) {
        MonitorRecorder recorder;
        if (!recorder.Recording()) GTEST_SKIP() << "no sound server answers at " << std::getenv("PULSE_SERVER");
        const PcmSound sound{44100, channels, testing::SineSamples(660, 44100, channels, 0.4)};
        std::atomic<int> starts = 0;
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_TRUE(PlayPcm(sound, [&] { ++starts; })) << channels;
        const auto took = std::chrono::steady_clock::now() - begin;
        Sleep(200);
        const std::vector<float> heard = recorder.Stop();
        EXPECT_EQ(starts, 1);
        EXPECT_GE(took, std::chrono::milliseconds(350)) << channels;
        const auto bursts = testing::FindBursts(heard, 0.05F, MonitorRecorder::Rate / 20);
        ASSERT_EQ(bursts.size(), 1u) << channels;
        EXPECT_NEAR(static_cast<double>(bursts[0].Length()) / MonitorRecorder::Rate, 0.4, 0.03) << channels;
        const std::span<const float> tone(heard.data() + bursts[0].begin, bursts[0].Length());
        EXPECT_NEAR(testing::DominantFrequency(tone, MonitorRecorder::Rate, 200, 2000), 660, 5) << channels;
    }
}

TEST(WindowsAudio, RefusesASoundWithoutAFrameOrFormat) {
    for (const PcmSound& sound : {PcmSound{48000, 1, {}}, PcmSound{0, 1, {0.5F}}, PcmSound{48000, 0, {0.5F}},
                                  PcmSound{48000, 2, {0.5F}}, PcmSound{48000, 65, std::vector<float>(65)}}) {
        bool started = false;
        EXPECT_FALSE(PlayPcm(sound, [&] { started = true; }));
        EXPECT_FALSE(started);
    }
}

}  // namespace
}  // namespace kairos::platform
