#include "shell/DeadlineTimers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/SimulatedTimers.h"

namespace kairos {
namespace {

class DeadlineTimersTest : public ::testing::Test {
protected:
    DeadlineTimersTest() {
        auto backend = std::make_unique<testing::SimulatedTimers>();
        timers = backend.get();
        list = std::make_unique<DeadlineTimers>(std::move(backend));
    }

    testing::SimulatedTimers* timers = nullptr;
    std::unique_ptr<DeadlineTimers> list;
};

TEST_F(DeadlineTimersTest, KeyRunsFromStartUntilItsElapseHasPassed) {
    EXPECT_FALSE(list->IsTimerRunning(StatusKey));
    list->StartTimer(5000, StatusKey);
    EXPECT_TRUE(list->IsTimerRunning(StatusKey));
    timers->Advance(4999);
    EXPECT_TRUE(list->IsTimerRunning(StatusKey));
    timers->Advance(1);
    EXPECT_FALSE(list->IsTimerRunning(StatusKey));
    EXPECT_EQ(timers->RegisteredCount(), 0u) << "the expired entry's timer must be unregistered";
}

TEST_F(DeadlineTimersTest, SecondStartOfAKeyAddsAnEntryInsteadOfRestartingTheFirst) {
    list->StartTimer(5000, StatusKey);
    timers->Advance(3000);
    list->StartTimer(5000, StatusKey);
    EXPECT_EQ(list->Entries().size(), 2u);
    timers->Advance(2000);  // the first ends
    EXPECT_TRUE(list->IsTimerRunning(StatusKey));
    timers->Advance(2999);
    EXPECT_TRUE(list->IsTimerRunning(StatusKey));
    timers->Advance(1);  // 5000 ms after the second
    EXPECT_FALSE(list->IsTimerRunning(StatusKey));
}

// The sleeping clock looks again whenever a hold ends: the listener hears each
// expiry once the key is no longer running, after the entry's own callback.
TEST_F(DeadlineTimersTest, TheListenerHearsEachExpiryAfterTheKeyHasEnded) {
    std::vector<std::string> heard;
    list->SetExpiryListener([&] { heard.push_back(list->IsTimerRunning(StatusKey) ? "running" : "ended"); });
    list->StartTimer(100, StatusKey, [&](int, int) { heard.push_back("callback"); });
    list->StartTimer(300, AlarmPauseKey);
    timers->Advance(299);
    EXPECT_EQ(heard, (std::vector<std::string>{"callback", "ended"}));
    timers->Advance(1);
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(DeadlineTimersTest, KeysAreIndependent) {
    list->StartTimer(100, AlarmPauseKey);
    list->StartTimer(200, SignalPauseKey);
    timers->Advance(100);
    EXPECT_FALSE(list->IsTimerRunning(AlarmPauseKey));
    EXPECT_TRUE(list->IsTimerRunning(SignalPauseKey));
    EXPECT_FALSE(list->IsTimerRunning(StatusKey));
}

TEST_F(DeadlineTimersTest, IdentifiersAreTheSmallestFreeOnes) {
    // Entries with identifiers 2 and 1, in that list order.
    EXPECT_EQ(list->StartTimer(500, 7), 1u);
    EXPECT_EQ(list->StartTimer(100, 8), 2u);
    timers->Advance(100);  // 2 ends
    EXPECT_EQ(list->StartTimer(1000, 9), 2u);
    timers->Advance(400);  // 1 ends; 2 is left
    ASSERT_EQ(list->Entries().size(), 1u);
    EXPECT_EQ(list->Entries()[0].Id, 2u);

    list->StartTimer(1000, 10);  // takes 1: list order is now 2, 1
    EXPECT_EQ(list->StartTimer(1000, 11), 3u);
    timers->Advance(1000);  // 2, 1 and 3 have all ended
    EXPECT_TRUE(list->Entries().empty());
    EXPECT_EQ(list->StartTimer(1000, 12), 1u);
}

TEST_F(DeadlineTimersTest, CallbackGetsTheKeyAndTheCountLeftAfterTheEntryIsGone) {
    struct Call {
        int key, count;
        bool stillListed;
    };
    std::vector<Call> calls;
    list->StartTimer(50, 42, [&](int key, int count) { calls.push_back({key, count, list->IsTimerRunning(42)}); });
    timers->Advance(1000);
    ASSERT_EQ(calls.size(), 1u) << "a one-shot entry reports once";
    EXPECT_EQ(calls[0].key, 42);
    EXPECT_EQ(calls[0].count, 0);
    EXPECT_FALSE(calls[0].stillListed);
}

TEST_F(DeadlineTimersTest, CallbackMayStartTheNextTimer) {
    int fired = 0;
    TimerCallback again = [&](int key, int) {
        if (++fired < 3) list->StartTimer(10, key, again);
    };
    list->StartTimer(10, 5, again);
    timers->Advance(100);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(list->IsTimerRunning(5));
}

TEST_F(DeadlineTimersTest, UnknownIdentifierIsIgnored) {
    list->StartTimer(1000, 1);
    list->Expired(99);
    EXPECT_TRUE(list->IsTimerRunning(1));
}

TEST_F(DeadlineTimersTest, ClearStopsEveryTimer) {
    list->StartTimer(1000, 1);
    list->StartTimer(1000, 2);
    list->Clear();
    EXPECT_FALSE(list->IsTimerRunning(1));
    EXPECT_FALSE(list->IsTimerRunning(2));
    EXPECT_EQ(timers->RegisteredCount(), 0u);
    EXPECT_EQ(list->StartTimer(10, 3), 1u);
}

TEST_F(DeadlineTimersTest, RefusedTimerKeepsItsKeyRunning) {
    timers->refuse = true;
    EXPECT_EQ(list->StartTimer(10, 1), 0u);
    timers->Advance(100000);
    EXPECT_TRUE(list->IsTimerRunning(1));
}

}  // namespace
}  // namespace kairos
