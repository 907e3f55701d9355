// Real sound into the null sink of scripts/start-pulse.sh, recorded from its
// monitor: what a listener would hear, measured.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <iostream>
#include <optional>
#include <ostream>
#include <span>
#include <thread>

#include "media/Media.h"
#include "media/NullSinkRecorder.h"
#include "media/SignalAnalysis.h"
#include "media/SoundPlayer.h"
#include "media/RepeatedSound.h"
#include "media/Sounds.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"
#include "support/WavFile.h"

namespace kairos {
namespace {

using namespace std::chrono_literals;
using testing::RecordRate;
using testing::WavEncoding;

constexpr float Threshold = 0.01f;                // the test tones peak at 0.5
constexpr std::size_t MinGap = RecordRate / 200;  // 5 ms of silence part two sounds

struct Tone {
    double frequency;
    double seconds;
};

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = testing::NullSinkUnavailable(); !why.empty()) GTEST_SKIP() << why;
        recorder_.emplace();
    }

    std::string WriteTone(const std::string& relative, Tone tone, int rate = 48000, int channels = 1,
                          WavEncoding encoding = WavEncoding::Pcm16) {
        std::filesystem::create_directories(std::filesystem::path(dir_.File(relative)).parent_path());
        const auto samples = testing::SineSamples(tone.frequency, rate, channels, tone.seconds);
        return dir_.Write(relative, testing::WavBytes(samples, rate, channels, encoding));
    }

    // Everything heard until this process's sounds are over, plus the
    // output's latency.
    std::vector<float> Heard() {
        for (int i = 0; i < 3000 && ProcessSoundGate().Busy(); ++i) std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(300ms);
        return recorder_->Stop();
    }

    // count sounds of that pitch (within 2 %) and length (within 15 ms)
    static void ExpectTones(const std::vector<float>& heard, std::size_t count, Tone tone) {
        const auto bursts = testing::FindBursts(heard, Threshold, MinGap);
        ASSERT_EQ(bursts.size(), count);
        for (const testing::Burst& burst : bursts) {
            const std::span<const float> sound(heard.data() + burst.begin, burst.Length());
            const double seconds = static_cast<double>(burst.Length()) / RecordRate;
            const double frequency =
                testing::DominantFrequency(sound, RecordRate, 0.5 * tone.frequency, 1.5 * tone.frequency);
            std::cout << "  heard " << seconds * 1000 << " ms at " << frequency << " Hz\n";
            EXPECT_NEAR(seconds, tone.seconds, 0.015);
            EXPECT_NEAR(frequency, tone.frequency, 0.02 * tone.frequency);
        }
    }

    testing::TempDir dir_;
    std::optional<testing::NullSinkRecorder> recorder_;
};

struct FileCase {
    const char* name;
    WavEncoding encoding;
    int rate;
    int channels;
    Tone tone;
};

std::ostream& operator<<(std::ostream& out, const FileCase& param) {
    return out << param.name;
}

class SoundFileOutputTest : public SoundOutputTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(SoundFileOutputTest, SyncPlayIsHeardWholeAtItsPitch) {
    const FileCase& param = GetParam();
    EXPECT_TRUE(
        PlaySoundFile(WriteTone("tone.wav", param.tone, param.rate, param.channels, param.encoding), SoundWait::Sync));
    EXPECT_FALSE(ProcessSoundGate().Busy());
    ExpectTones(Heard(), 1, param.tone);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundFileOutputTest,
                         ::testing::Values(FileCase{"Pcm16Mono48k", WavEncoding::Pcm16, 48000, 1, {440, 0.4}},
                                           FileCase{"Pcm24Stereo22k", WavEncoding::Pcm24, 22050, 2, {660, 0.3}},
                                           FileCase{"Float32EightChannels44k", WavEncoding::Float32, 44100, 8,
                                                    {550, 0.25}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SoundOutputTest, BeepIsHeardAtItsFrequencyForItsLength) {
    SystemBeep(900, 300);
    ExpectTones(Heard(), 1, {900, 0.3});
}

TEST_F(SoundOutputTest, NothingStartedWhileAnAsyncSoundPlaysIsHeard) {
    const std::string other = WriteTone("other.wav", {1000, 0.5});
    ASSERT_TRUE(PlaySoundFile(WriteTone("first.wav", {440, 0.5}), SoundWait::Async));
    EXPECT_FALSE(PlaySoundFile(other, SoundWait::Async));
    EXPECT_FALSE(PlaySoundFile(other, SoundWait::Sync));
    ExpectTones(Heard(), 1, {440, 0.5});
}

// The window's thread must not wait for the beep, which now always lasts.
TEST_F(SoundOutputTest, MediaBeepReturnsAtOnceAndIsHeardWhole) {
    const auto before = std::chrono::steady_clock::now();
    SystemMedia().Beep(900, 300);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms);
    std::this_thread::sleep_for(400ms);
    ExpectTones(Heard(), 1, {900, 0.3});
}

// When the beep starts against the chime's second stroke. In the gap, it
// would have taken the stroke's turn; during the stroke, been refused.
struct BeepTiming {
    const char* name;
    std::chrono::milliseconds beepAfter;    // from the end of the first stroke
    std::chrono::milliseconds strokeAfter;  // likewise
};

std::ostream& operator<<(std::ostream& out, const BeepTiming& param) {
    return out << param.name;
}

class ChimeWithBeepTest : public SoundOutputTest, public ::testing::WithParamInterface<BeepTiming> {};

TEST_P(ChimeWithBeepTest, EveryStrokeAndTheBeepAreHeard) {
    static constexpr Tone Stroke{600, 0.4}, Beep{1500, 0.5};
    std::thread beeper;
    int plays = 0;
    const auto chime = RepeatedSound::Start(WriteTone("chime.wav", Stroke), 3, [&](const std::string& file) {
        if (++plays == 2) {
            beeper = std::thread([] {
                std::this_thread::sleep_for(GetParam().beepAfter);
                SystemBeep(static_cast<int>(Beep.frequency), static_cast<int>(Beep.seconds * 1000));
            });
            std::this_thread::sleep_for(GetParam().strokeAfter);
        }
        return PlaySoundFile(file, SoundWait::Sync);
    });
    chime->WaitFor();
    beeper.join();
    const std::vector<float> heard = Heard();

    // 5 ms windows: shorter than the gap between two strokes, long enough to
    // keep the two pitches apart.
    constexpr std::size_t Window = RecordRate / 200;
    for (const auto& [tone, count] : {std::pair{Stroke, 3u}, {Beep, 1u}}) {
        const auto envelope = testing::ToneEnvelope(heard, RecordRate, tone.frequency, Window);
        const auto bursts = testing::FindBursts(envelope, 0.25f, 1);
        EXPECT_EQ(bursts.size(), count) << tone.frequency << " Hz";
        for (const testing::Burst& burst : bursts) {
            const double seconds = static_cast<double>(burst.Length() * Window) / RecordRate;
            std::cout << "  heard " << seconds * 1000 << " ms at " << tone.frequency << " Hz from "
                      << static_cast<double>(burst.begin * Window) / RecordRate << " s\n";
            EXPECT_NEAR(seconds, tone.seconds, 0.015) << tone.frequency << " Hz";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Timings, ChimeWithBeepTest,
                         ::testing::Values(BeepTiming{"BeepBeginsBetweenStrokes", 0ms, 150ms},
                                           BeepTiming{"BeepBeginsDuringAStroke", 150ms, 0ms}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SoundOutputTest, RepeatedChimeIsHeardThreeTimes) {
    PlaySoundRepeated(WriteTone("chime.wav", {700, 0.25}), 3)->WaitFor();
    ExpectTones(Heard(), 3, {700, 0.25});
}

TEST_F(SoundOutputTest, StopDuringTheSecondChimeEndsAfterIt) {
    std::promise<void> secondBegins, stopped;
    int plays = 0;
    const auto thread = RepeatedSound::Start(WriteTone("chime.wav", {700, 0.25}), 5, [&](const std::string& file) {
        if (++plays == 2) {
            secondBegins.set_value();
            stopped.get_future().wait();  // the stop lands while the second chime is under way
        }
        return PlaySoundFile(file, SoundWait::Sync);
    });
    secondBegins.get_future().wait();
    thread->Terminate();
    stopped.set_value();
    thread->WaitFor();
    ExpectTones(Heard(), 2, {700, 0.25});
}

// Each message-box type and event alias sounds its own theme file, told
// apart by pitch; 0 Hz: nothing may be heard.
struct ThemeCase {
    const char* name;
    std::function<void()> play;
    double frequency;
};

std::ostream& operator<<(std::ostream& out, const ThemeCase& param) {
    return out << param.name;
}

class ThemeSoundOutputTest : public SoundOutputTest, public ::testing::WithParamInterface<ThemeCase> {
protected:
    void SetUp() override {
        SoundOutputTest::SetUp();
        if (IsSkipped()) return;
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME"}) env_.Set(name, dir_.File("xdg"));
        std::filesystem::create_directories(dir_.File("xdg/sounds/freedesktop"));
        dir_.Write("xdg/sounds/freedesktop/index.theme", "[Sound Theme]\nDirectories=stereo\n");
        for (const auto& [name, frequency] :
             {std::pair{"dialog-warning", 600.0}, {"dialog-error", 750.0}, {"dialog-information", 800.0},
              {"dialog-question", 1000.0}, {"bell", 500.0}, {"window-minimized", 1200.0}})
            WriteTone(std::string("xdg/sounds/freedesktop/stereo/") + name + ".wav", {frequency, 0.2});
    }

    testing::ScopedEnvironment env_;
};

TEST_P(ThemeSoundOutputTest, PlaysTheThemeSoundOfItsKind) {
    GetParam().play();
    const std::vector<float> heard = Heard();
    if (GetParam().frequency == 0) EXPECT_TRUE(testing::FindBursts(heard, Threshold, MinGap).empty());
    else ExpectTones(heard, 1, {GetParam().frequency, 0.2});
}

INSTANTIATE_TEST_SUITE_P(
    Sounds, ThemeSoundOutputTest,
    ::testing::Values(ThemeCase{"Warning", [] { MessageBeep(0x30); }, 600},
                      ThemeCase{"Error", [] { MessageBeep(0x10); }, 750},
                      ThemeCase{"Information", [] { MessageBeep(0x40); }, 800},
                      ThemeCase{"Question", [] { MessageBeep(0x20); }, 1000},
                      ThemeCase{"Default", [] { MessageBeep(0); }, 500},
                      ThemeCase{"Minimize", [] { EXPECT_TRUE(PlaySystemSound("Minimize", SoundWait::Sync)); }, 1200},
                      ThemeCase{"RestoreUpHasNoSound",
                                [] { EXPECT_FALSE(PlaySystemSound("RestoreUp", SoundWait::Async)); }, 0}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos
