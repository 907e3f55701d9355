// The program's options, and --query against the fake server.

#include <gtest/gtest.h>

#include <ostream>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "nettime/FakeSntpServer.h"
#include "shell/CommandLineOptions.h"
#include "shell/QueryCommand.h"

namespace kairos {
namespace {

struct OptionCase {
    std::vector<std::string> arguments;
    StartMode mode;
    std::string value;  // the server, or the argument found invalid
};
void PrintTo(const OptionCase& c, std::ostream* out) {
    for (const std::string& argument : c.arguments) *out << '[' << argument << ']';
}

class PreferencesAction : public ::testing::TestWithParam<OptionCase> {};

TEST_P(PreferencesAction, AreRead) {
    const CommandLineOptions options = ParseCommandLine(GetParam().arguments);
    EXPECT_EQ(options.mode, GetParam().mode);
    EXPECT_EQ(options.mode == StartMode::Invalid ? options.invalid : options.server, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PreferencesAction,
    ::testing::Values(OptionCase{{}, StartMode::Clock, ""},
                      OptionCase{{"-platform", "offscreen"}, StartMode::Clock, ""},  // Qt's
                      OptionCase{{"--query", "127.0.0.1"}, StartMode::Query, "127.0.0.1"},
                      OptionCase{{"--query=[::1]:123"}, StartMode::Query, "[::1]:123"},
                      OptionCase{{"--help"}, StartMode::Help, ""}, OptionCase{{"-h"}, StartMode::Help, ""},
                      OptionCase{{"--version"}, StartMode::Version, ""},
                      OptionCase{{"--query"}, StartMode::Invalid, "--query"},
                      OptionCase{{"--query="}, StartMode::Invalid, "--query="},
                      OptionCase{{"--verbose"}, StartMode::Invalid, "--verbose"},
                      OptionCase{{"--help", "--version"}, StartMode::Invalid, "--version"}));

using testing::FakeSntpServer;
using testing::FakeDatagram;

TEST(QueryCommand, PrintsOffsetDelayAndStratumAndSetsNothing) {
    FakeSntpServer server([](const SntpPacket& q) {
        const auto now = platform::UtcNow();
        return std::vector<FakeDatagram>{
            {testing::Bytes(testing::ServerReply(q, UtcToNtp(now + std::chrono::seconds(5)),
                                                 UtcToNtp(now + std::chrono::seconds(5))))}};
    });
    std::ostringstream out;
    std::ostringstream err;
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    EXPECT_EQ(RunQueryCommand(host, out, err), 0);
    // The server stamps both times at once, so the offset is 5 s give or take
    // half the round trip, which a busy machine stretches.
    double offset = 0;
    double delay = 0;
    ASSERT_TRUE(out.str().starts_with(host + ": offset +")) << out.str();
    ASSERT_EQ(std::sscanf(out.str().c_str() + host.size(), ": offset %lf s, delay %lf s", &offset, &delay), 2);
    EXPECT_NEAR(offset, 5.0, delay / 2 + 0.0001) << out.str();
    EXPECT_TRUE(out.str().ends_with(" s, stratum 2\n")) << out.str();
    EXPECT_EQ(err.str(), "");
}

TEST(QueryCommand, GivesTheReasonAndFails) {
    FakeSntpServer server([](const SntpPacket&) { return std::vector<FakeDatagram>{}; });
    SntpServices services;
    services.Lookup = [](const std::string&) { return platform::LookupOutcome{{}, 11001}; };
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunQueryCommand("nowhere.invalid", out, err, services), 1);
    EXPECT_EQ(err.str(), "kairos: nowhere.invalid: サーバーが見つかりません (Socket Error # 11001 Host not found.)\n");
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace kairos
