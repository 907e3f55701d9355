// What the user is told about a clock correction.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "nettime/ClockSync.h"

namespace kairos {
namespace {

using namespace std::chrono;

struct StepCase {
    nanoseconds step;
    const char* text;
};

class StepSize : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepSize, InItsTwoLargestUnits) { EXPECT_EQ(StepSizeText(GetParam().step), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Table, StepSize,
    ::testing::Values(StepCase{1001s, "16分 41秒"}, StepCase{-1001s, "16分 41秒"}, StepCase{74h + 5min, "3日 2時間"},
                      StepCase{72h + 5min, "3日"},  // the next unit only, never one further down
                      StepCase{2h, "2時間"}, StepCase{59s + 999ms, "59秒"}, StepCase{364 * 24h, "364日"},
                      StepCase{365 * 24h, "約1年"}, StepCase{hours(13 * 8766), "約13年"}));

TEST(StepQuestion, SaysWhichWayTheClockMoves) {
    const Moment serverTime = TryEncodeDateTime(2026, 12, 8, 13, 4, 5, 600).value();
    EXPECT_EQ(StepQuestion(serverTime, 74h), "サーバーの時刻は 2026/12/08 13:04:05 です。時計を 3日 2時間 進めますか？");
    EXPECT_EQ(StepQuestion(serverTime, -2000s), "サーバーの時刻は 2026/12/08 13:04:05 です。時計を 33分 20秒 戻しますか？");
}

TEST(SyncReportText, GivesTheReasonOfAFailureOnASecondLine) {
    EXPECT_EQ(SyncReportText({SyncResult::Set, SyncFailure::None, std::nullopt}), "時刻あわせに成功しました");
    EXPECT_EQ(SyncReportText({SyncResult::Failed, SyncFailure::BadReply, std::nullopt}),
              "時刻あわせに失敗しました\nサーバーの応答が正しくありません");
    EXPECT_EQ(SyncReportText({SyncResult::Failed, SyncFailure::StepTooLarge, std::nullopt}),
              "時刻あわせに失敗しました\n時刻のずれが大きすぎます");
}

TEST(QueryReport, NamesTheAnsweringAddressOfAName) {
    SntpSample sample;
    sample.server = {platform::IpAddress::V4(127, 0, 0, 1), 123};
    sample.offset = 5000400us;
    sample.delay = 1ms;
    sample.stratum = 3;
    EXPECT_EQ(QueryReport("127.0.0.1", sample), "127.0.0.1: offset +5.0004 s, delay 0.0010 s, stratum 3");
    EXPECT_EQ(QueryReport("localhost:123", sample), "localhost:123 (127.0.0.1): offset +5.0004 s, delay 0.0010 s, stratum 3");
}

}  // namespace
}  // namespace kairos
