#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "media/RepeatedSound.h"
#include "media/Sounds.h"
namespace kairos {
namespace {

using namespace std::chrono_literals;

// Plays that only count, and can hold one chosen play until released.
class FakePlays {
public:
    explicit FakePlays(std::size_t holdAt = 0) : holdAt_(holdAt) {}

    RepeatedSound::PlaySync Play() {
        return [this](const std::string& fileName) {
            std::unique_lock lock(mutex_);
            files_.push_back(fileName);
            changed_.notify_all();
            if (files_.size() == holdAt_) changed_.wait(lock, [&] { return released_; });
            return false;  // a failed play counts all the same
        };
    }
    void WaitForPlays(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return files_.size() >= count; });
    }
    void Release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    std::vector<std::string> Files() {
        const std::lock_guard lock(mutex_);
        return files_;
    }

private:
    const std::size_t holdAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> files_;
    bool released_ = false;
};

void WaitUntilExpired(const std::weak_ptr<RepeatedSound>& watch) {
    for (int i = 0; i < 10000 && !watch.expired(); ++i) std::this_thread::sleep_for(1ms);
}

class DupeCountTest : public ::testing::TestWithParam<int> {};

TEST_P(DupeCountTest, PlaysTheFileCountTimesAndEndsAndTakesAStopAfterwards) {
    FakePlays plays;
    const auto thread = RepeatedSound::Start("chime.wav", GetParam(), plays.Play());
    thread->WaitFor();
    EXPECT_TRUE(thread->Finished());
    thread->Terminate();
    EXPECT_EQ(thread->Count(), GetParam());
    EXPECT_EQ(plays.Files(), std::vector<std::string>(static_cast<std::size_t>(std::max(GetParam(), 0)), "chime.wav"));
}

INSTANTIATE_TEST_SUITE_P(Counts, DupeCountTest, ::testing::Values(-3, 0, 1, 3, 12));

TEST(RepeatedSoundTest, StopDuringTheSecondOfFivePlaysEndsAfterIt) {
    FakePlays plays(2);
    const auto thread = RepeatedSound::Start("chime.wav", 5, plays.Play());
    plays.WaitForPlays(2);
    thread->Terminate();
    EXPECT_FALSE(thread->Finished()) << "the play in progress is heard to its end";
    plays.Release();
    thread->WaitFor();
    EXPECT_EQ(plays.Files().size(), 2u);
}

// The handle is only a handle: dropping it neither stops the worker nor
// frees what the worker still uses, and the worker frees it in the end.
TEST(RepeatedSoundTest, WorkerCarriesOnAfterTheLastHandleIsGone) {
    FakePlays plays(1);
    auto thread = RepeatedSound::Start("chime.wav", 3, plays.Play());
    const std::weak_ptr<RepeatedSound> watch = thread;
    plays.WaitForPlays(1);
    thread.reset();
    plays.Release();
    WaitUntilExpired(watch);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(plays.Files().size(), 3u);
}

// Stop requests from two threads at random moments, handles dropped at
// random, workers ending on their own: under ThreadSanitizer this finds any
// unguarded state between a worker and its callers.
TEST(RepeatedSoundTest, StopsAndEndsRaceSafely) {
    std::atomic<int> played{0};
    const RepeatedSound::PlaySync play = [&](const std::string&) {
        played.fetch_add(1);
        std::this_thread::yield();
        return true;
    };
    std::vector<std::shared_ptr<RepeatedSound>> kept;
    std::vector<std::weak_ptr<RepeatedSound>> all;
    std::mt19937 random(12345);
    int maxPlays = 0;
    for (int i = 0; i < 200; ++i) {
        const int count = static_cast<int>(random() % 5);
        maxPlays += count;
        auto thread = RepeatedSound::Start("chime.wav", count, play);
        all.push_back(thread);
        if (random() % 3 == 0) thread->Terminate();
        if (random() % 2 == 0) kept.push_back(std::move(thread));
    }
    std::thread stopper([&] {
        for (const auto& thread : kept) thread->Terminate();
    });
    for (const auto& thread : kept) {
        thread->Terminate();
        thread->WaitFor();
    }
    stopper.join();
    kept.clear();
    std::for_each(all.begin(), all.end(), WaitUntilExpired);
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](const auto& watch) { return watch.expired(); }));
    EXPECT_LE(played.load(), maxPlays);
}

}  // namespace
}  // namespace kairos
