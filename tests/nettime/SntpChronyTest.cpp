// Against a real NTP server: the chronyd of scripts/start-chronyd.sh on
// 127.0.0.1, whose clock runs 5 s ahead. Skipped when it is not running.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "nettime/FakeSntpServer.h"
#include "nettime/IdSNTP.h"

namespace kairos {
namespace {

constexpr double SecondsPerDay = 86'400.0;
constexpr double ServerLead = 5.0;
constexpr double Agreement = 0.005;

std::optional<int> ChronyPort() {
    const char* port = std::getenv("KAIROS_CHRONY_PORT");
    if (port == nullptr || *port == '\0') return std::nullopt;
    return std::atoi(port);
}

#define REQUIRE_CHRONY(port)                                                        \
    const auto port = ChronyPort();                                                 \
    if (!port) GTEST_SKIP() << "no chronyd: run scripts/start-chronyd.sh first"

struct PipeClose {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

// ntpdig's offset for the same server, or empty when it gave none.
std::optional<double> NtpdigOffset(int port) {
    const std::string command = std::string(KAIROS_SCRIPTS_DIR "/ntpdig-at.sh ") + std::to_string(port) +
                                " -j -t 2 127.0.0.1 2>/dev/null";
    const std::unique_ptr<FILE, PipeClose> pipe(popen(command.c_str(), "r"));
    if (!pipe) return std::nullopt;
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
    const auto at = output.find("\"offset\":");
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(output.c_str() + at + 9, nullptr);
}

class SntpChronyTest : public ::testing::Test {
protected:
    testing::RecordingSetter setter_;
};

TEST_F(SntpChronyTest, MeasuresTheServersLeadAndAgreesWithNtpdig) {
    REQUIRE_CHRONY(port);
    TIdSNTP sntp({platform::SystemClock(), setter_, platform::LocalTimeZoneBias});
    sntp.SetHost("127.0.0.1");
    sntp.SetPort(*port);
    sntp.SetReceiveTimeout(3000);
    ASSERT_NE(sntp.QueryServerTime(), 0);
    const double ours = sntp.ClockOffset() * SecondsPerDay;
    RecordProperty("offset_s", std::to_string(ours));
    EXPECT_NEAR(ours, ServerLead, Agreement);

    const auto theirs = NtpdigOffset(*port);
    ASSERT_TRUE(theirs) << "ntpdig gave no offset";
    RecordProperty("ntpdig_offset_s", std::to_string(*theirs));
    EXPECT_NEAR(ours, *theirs, Agreement);
}

TEST_F(SntpChronyTest, SyncClockHandsTheSetterTheServersTime) {
    REQUIRE_CHRONY(port);
    TIdSNTP sntp({platform::SystemClock(), setter_, platform::LocalTimeZoneBias});
    sntp.SetHost("127.0.0.1");
    sntp.SetPort(*port);
    sntp.SetReceiveTimeout(3000);
    ASSERT_TRUE(sntp.SyncClock());
    const TDateTime serverNow = platform::SystemClock().Now() + ServerLead / SecondsPerDay;
    ASSERT_EQ(setter_.moments.size(), 1u);
    EXPECT_NEAR((setter_.moments[0] - serverNow) * SecondsPerDay, 0.0, Agreement);
}

}  // namespace
}  // namespace kairos
