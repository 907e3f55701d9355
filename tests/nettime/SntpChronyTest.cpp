// Against a real NTP server: the chronyd of scripts/start-chronyd.sh on
// 127.0.0.1 and ::1, whose clock runs 5 s ahead. Skipped when it is not
// running.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "nettime/ClockSync.h"
#include "nettime/FakeSntpServer.h"

namespace kairos {
namespace {

using namespace std::chrono;

constexpr double ServerLead = 5.0;
constexpr double Agreement = 0.005;

std::optional<std::uint16_t> ChronyPort() {
    const char* port = std::getenv("KAIROS_CHRONY_PORT");
    if (port == nullptr || *port == '\0') return std::nullopt;
    return static_cast<std::uint16_t>(std::atoi(port));
}

#ifndef _WIN32
struct PipeClose {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

// ntpdig's offset for the same server, or empty when it gave none.
std::optional<double> NtpdigOffset(std::uint16_t port, const std::string& host) {
    const std::string command = std::string(KAIROS_SCRIPTS_DIR "/ntpdig-at.sh ") + std::to_string(port) +
                                " -j -t 2 " + host + " 2>/dev/null";
    const std::unique_ptr<FILE, PipeClose> pipe(popen(command.c_str(), "r"));
    if (!pipe) return std::nullopt;
    std::string output;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) output += buffer;
    const auto at = output.find("\"offset\":");
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(output.c_str() + at + 9, nullptr);
}
#endif

double Seconds(nanoseconds span) { return duration<double>(span).count(); }

class SntpChronyTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        port_ = ChronyPort();
        if (!port_) GTEST_SKIP() << "no chronyd: run scripts/start-chronyd.sh first";
        if (std::string(GetParam()) == "::1" && std::getenv("KAIROS_CHRONY_IPV6") == nullptr)
            GTEST_SKIP() << "chronyd does not listen on ::1 here";
    }
    std::optional<std::uint16_t> port_;
};

// Our offset for the server, or empty after a failed assertion.
std::optional<double> MeasuredOffset(const char* host, std::uint16_t port) {
    const QueryOutcome query = QueryTimeServer({host, port});
    EXPECT_TRUE(query.sample) << "no usable reply: " << ReplyCheckName(query.rejection) << ", " << query.socketError;
    if (!query.sample) return std::nullopt;
    return Seconds(query.sample->offset);
}

TEST_P(SntpChronyTest, MeasuresTheServersLead) {
    const auto ours = MeasuredOffset(GetParam(), *port_);
    ASSERT_TRUE(ours);
    RecordProperty("offset_s", std::to_string(*ours));
    EXPECT_NEAR(*ours, ServerLead, Agreement);
}

// ntpdig is a Linux program, out of reach of a Windows one.
#ifndef _WIN32
TEST_P(SntpChronyTest, AgreesWithNtpdig) {
    const auto ours = MeasuredOffset(GetParam(), *port_);
    ASSERT_TRUE(ours);
    const auto theirs = NtpdigOffset(*port_, GetParam());
    ASSERT_TRUE(theirs) << "ntpdig gave no offset";
    RecordProperty("ntpdig_offset_s", std::to_string(*theirs));
    EXPECT_NEAR(*ours, *theirs, Agreement);
}
#endif

TEST_P(SntpChronyTest, TheSetterIsHandedTheServersTime) {
    testing::RecordingSetter setter;
    const std::string server = std::string(GetParam()) == "::1" ? "[::1]" : GetParam();
    const SyncOutcome outcome =
        SyncClock({server + ':' + std::to_string(*port_), StepLimit::Refuse, std::nullopt}, {{}, setter});
    ASSERT_EQ(outcome.result, SyncResult::Set);
    ASSERT_EQ(setter.instants.size(), 1u);
    EXPECT_NEAR(Seconds(setter.instants[0] - platform::UtcNow()), ServerLead, Agreement);
}

INSTANTIATE_TEST_SUITE_P(Loopback, SntpChronyTest, ::testing::Values("127.0.0.1", "::1"),
                         [](const auto& info) { return std::string(info.param) == "::1" ? "IPv6" : "IPv4"; });

}  // namespace
}  // namespace kairos
