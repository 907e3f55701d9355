#include "media/SoundPlayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <ostream>
#include <thread>

#include "media/Tone.h"

namespace kairos {
namespace {

using namespace std::chrono_literals;

// Stands for the sound server: counts the sounds it is given and, when told
// to, keeps one "playing" before or after its start until released.
class FakeOutput {
public:
    bool holdBeforeStart = false, holdAfterStart = false, startFails = false;

    bool Play(const platform::PlaybackStarted& started) {
        std::unique_lock lock(mutex_);
        ++calls_;
        changed_.notify_all();
        if (startFails) return false;
        if (holdBeforeStart) changed_.wait(lock, [&] { return released_; });
        if (started) started();
        if (holdAfterStart) changed_.wait(lock, [&] { return released_; });
        return true;
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    void WaitForCalls(int count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return calls_ >= count; });
    }
    // For a play that a faulty player would keep waiting: false, not a hang.
    bool CallsReach(int count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [&] { return calls_ >= count; });
    }
    int Calls() {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    bool released_ = false;
};

platform::PcmSound Sound() {
    return platform::PcmSound{8000, 1, std::vector<float>(80, 0.5f)};
}

class SoundPlayerTest : public ::testing::Test {
protected:
    SoundPlayer Player() {
        auto decode = [this](const std::string& name) -> std::optional<platform::PcmSound> {
            ++decodes_;
            return name == "missing.wav" ? std::nullopt : std::optional(Sound());
        };
        return SoundPlayer(gate_, {decode, [this](const platform::PcmSound&, const platform::PlaybackStarted& started) {
                                       return output_.Play(started);
                                   }});
    }
    // Workers use the gate and the fake: both must outlive them.
    void TearDown() override {
        output_.Release();
        WaitUntilQuiet();
    }
    void WaitUntilQuiet() {
        for (int i = 0; i < 10000 && gate_.Busy(); ++i) std::this_thread::sleep_for(1ms);
        ASSERT_FALSE(gate_.Busy());
    }

    SoundGate gate_;
    FakeOutput output_;
    std::atomic<int> decodes_{0};
};

struct SecondPlay {
    const char* name;
    std::function<bool(const SoundPlayer&)> play;
};

std::ostream& operator<<(std::ostream& out, const SecondPlay& param) {
    return out << param.name;
}

class NoInterruptTest : public SoundPlayerTest, public ::testing::WithParamInterface<SecondPlay> {};

TEST_P(NoInterruptTest, FailsAtOnceWhileAnAsyncSoundPlaysAndPlaysAfterIt) {
    output_.holdAfterStart = true;
    const SoundPlayer player = Player();
    ASSERT_TRUE(player.Play(Sound(), SoundWait::Async));
    EXPECT_FALSE(GetParam().play(player));
    EXPECT_EQ(decodes_, 0) << "a refused file is not even read";
    output_.Release();
    WaitUntilQuiet();
    EXPECT_TRUE(GetParam().play(player));
    EXPECT_EQ(output_.Calls(), 2);
}

// As the user-interface thread meets the chime worker's synchronous play.
TEST_P(NoInterruptTest, FailsAtOnceWhileASyncSoundPlaysOnAnotherThread) {
    output_.holdAfterStart = true;
    const SoundPlayer player = Player();
    std::thread worker([&] { EXPECT_TRUE(player.Play(Sound(), SoundWait::Sync)); });
    output_.WaitForCalls(1);
    EXPECT_FALSE(GetParam().play(player));
    output_.Release();
    worker.join();
    EXPECT_EQ(output_.Calls(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Plays, NoInterruptTest,
    ::testing::Values(SecondPlay{"SyncSound", [](const SoundPlayer& p) { return p.Play(Sound(), SoundWait::Sync); }},
                      SecondPlay{"AsyncFile", [](const SoundPlayer& p) { return p.PlayFile("a.wav", SoundWait::Async); }}),
    [](const auto& info) { return std::string(info.param.name); });

// A beep in the middle of the chime is heard, and the chime loses no stroke
// to a beep that began between two of them.
TEST_F(SoundPlayerTest, BeepPlaysWhileASoundHoldsTheGate) {
    output_.holdAfterStart = true;
    const SoundPlayer player = Player();
    ASSERT_TRUE(player.Play(Sound(), SoundWait::Async));
    auto beep = std::async(std::launch::async, [&] { return player.PlayAlongside(Sound()); });
    EXPECT_TRUE(output_.CallsReach(2)) << "the beep waited for the gate";
    output_.Release();
    EXPECT_TRUE(beep.get());
}

TEST_F(SoundPlayerTest, WhileABeepPlaysTheGateStaysFreeAndEverySoundPlays) {
    output_.holdAfterStart = true;
    const SoundPlayer player = Player();
    auto beep = std::async(std::launch::async, [&] { return player.PlayAlongside(Sound()); });
    output_.WaitForCalls(1);
    EXPECT_FALSE(gate_.Busy());
    auto secondBeep = std::async(std::launch::async, [&] { return player.PlayAlongside(Sound()); });
    EXPECT_TRUE(output_.CallsReach(2)) << "two beeps at once both play";
    EXPECT_TRUE(player.PlayFile("a.wav", SoundWait::Async));
    EXPECT_EQ(output_.Calls(), 3);
    output_.Release();
    EXPECT_TRUE(beep.get());
    EXPECT_TRUE(secondBeep.get());
}

TEST_F(SoundPlayerTest, AsyncReturnsOnlyOnceTheSoundHasStarted) {
    output_.holdBeforeStart = true;
    const SoundPlayer player = Player();
    auto played = std::async(std::launch::async, [&] { return player.Play(Sound(), SoundWait::Async); });
    output_.WaitForCalls(1);
    EXPECT_EQ(played.wait_for(50ms), std::future_status::timeout);
    output_.Release();
    EXPECT_TRUE(played.get());
}

// Else the caller's next sound would be refused by its own failed one.
TEST_F(SoundPlayerTest, FailedStartFreesTheGateBeforeTheCallerHearsOfIt) {
    output_.startFails = true;
    const SoundPlayer player = Player();
    for (const SoundWait wait : {SoundWait::Async, SoundWait::Sync}) {
        EXPECT_FALSE(player.Play(Sound(), wait));
        EXPECT_FALSE(gate_.Busy());
    }
}

TEST_F(SoundPlayerTest, FileThatCannotBeReadIsNotPlayed) {
    const SoundPlayer player = Player();
    for (const SoundWait wait : {SoundWait::Async, SoundWait::Sync}) {
        EXPECT_FALSE(player.PlayFile("missing.wav", wait));
        EXPECT_FALSE(player.PlayFile("", wait));
    }
    EXPECT_EQ(decodes_, 2) << "an empty name is not looked up";
    EXPECT_EQ(output_.Calls(), 0);
}

// What the tone sounds like is measured on the null sink; here only what it refuses.
TEST(SineToneTest, RefusesWhatBeepRefuses) {
    for (const auto& [frequency, durationMs] : {std::pair{36, 100}, {20001, 100}, {1000, 0}, {1000, -5}, {1000, 60001}})
        EXPECT_FALSE(SineTone(frequency, durationMs)) << frequency << " Hz, " << durationMs << " ms";
}

}  // namespace
}  // namespace kairos
