// The wire form and the timestamp conversions, without a network.

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>

#include "nettime/FakeSntpServer.h"
#include "nettime/IdSNTP.h"

namespace kairos {
namespace {

TDateTime At(int year, int month, int day, int hour, int minute, int second, int ms = 0) {
    return TryEncodeDateTime(year, month, day, hour, minute, second, ms).value();
}

TEST(SntpPacketTest, WireFormIsBigEndianAtTheFixedOffsets) {
    SntpPacket packet;
    packet.LeapVersionMode = 0x1B;
    packet.Stratum = 2;
    packet.Originate = {0x11223344, 0x55667788};
    packet.Transmit = {0xDEADBEEF, 0x00000001};
    const std::string wire = testing::Bytes(packet);
    EXPECT_EQ(wire.substr(0, 2), "\x1B\x02");
    EXPECT_EQ(wire.substr(24, 8), "\x11\x22\x33\x44\x55\x66\x77\x88");
    EXPECT_EQ(wire.substr(40, 8), std::string("\xDE\xAD\xBE\xEF\x00\x00\x00\x01", 8));
    const auto back = DecodeSntpPacket(wire);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Originate, packet.Originate);
    EXPECT_EQ(back->Transmit, packet.Transmit);
}

// One instant as a local moment and as the NTP timestamp on the wire.
struct Instant {
    const char* name;
    TDateTime moment;
    int biasMinutes;
    NtpTimestamp timestamp;
};
void PrintTo(const Instant& c, std::ostream* os) { *os << c.name; }

class MomentToNtpTest : public ::testing::TestWithParam<Instant> {};

TEST_P(MomentToNtpTest, GivesTheWireTimestamp) {
    const Instant& c = GetParam();
    const NtpTimestamp actual = MomentToNtp(c.moment, c.biasMinutes / 1440.0);
    // A moment is a double: a whole second may come out a hair below.
    const double apart = static_cast<std::int32_t>(actual.Seconds - c.timestamp.Seconds) +
                         (double(actual.Fraction) - double(c.timestamp.Fraction)) / 4'294'967'297.0;
    EXPECT_NEAR(apart, 0.0, 1e-5) << actual.Seconds << "." << actual.Fraction;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MomentToNtpTest,
    ::testing::Values(Instant{"EpochInTokyo", 2 + 0.375, -540, {0, 0}},
                      Instant{"HalfSecondScaledByTwoToThe32PlusOne", At(1900, 1, 1, 0, 0, 1, 500), 0, {1, 2147483648U}},
                      Instant{"TokyoNoon", At(2024, 6, 1, 12, 0, 0), -540, {3926199600U, 0}},
                      Instant{"LastSecondOfEraZero", At(2036, 2, 7, 6, 28, 15), 0, {0xFFFFFFFFU, 0}},
                      Instant{"FirstSecondOfEraOne", At(2036, 2, 7, 6, 28, 16), 0, {0, 0}},
                      Instant{"TwoSecondsIntoEraOne", At(2036, 2, 7, 6, 28, 18), 0, {2, 0}},
                      Instant{"EraOneInTokyo", At(2040, 1, 1, 9, 0, 0), -540, {4417977600ULL - 4294967296ULL, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

class NtpToMomentTest : public ::testing::TestWithParam<Instant> {};

TEST_P(NtpToMomentTest, GivesTheLocalMoment) {
    const Instant& c = GetParam();
    EXPECT_NEAR(NtpToMoment(c.timestamp, c.biasMinutes / 1440.0), c.moment, 0.1 / MillisecondsPerDay);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NtpToMomentTest,
    ::testing::Values(Instant{"FractionIsCutNotRounded", At(2024, 6, 1, 12, 0, 0, 999), -540, {3926199600U, 4294537800U}},
                      Instant{"FullFraction", At(2036, 2, 7, 6, 28, 15, 999), 0, {0xFFFFFFFFU, 0xFFFFFFFFU}},
                      Instant{"ZeroSecondsAreEraOne", At(2036, 2, 7, 6, 28, 16), 0, {0, 0}},
                      Instant{"ZeroSecondsInTokyo", At(2036, 2, 7, 15, 28, 16), -540, {0, 0}},
                      Instant{"LastSecondOfEraOneWindow", At(2104, 2, 26, 9, 42, 23), 0, {0x7FFFFFFFU, 0}},
                      Instant{"TopBitSetIsEraZero", At(1968, 1, 20, 3, 14, 8), 0, {0x80000000U, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos
