// The real program's command line, without a display: --query against the
// chronyd of scripts/start-chronyd.sh (5 s ahead, on 127.0.0.1 and ::1) beside
// ntpdig, and the answers to --help, --version and a wrong option.

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "shell/ProgramSession.h"

namespace {

using namespace kairos::test;

constexpr double ServerLead = 5.0;
constexpr double Agreement = 0.005;

struct Outcome {
    std::vector<std::string> lines;  // standard output and error
    int status = -1;
};

Outcome Kairos(const std::string& arguments) {
    Outcome run;
    run.lines = OutputLines("env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(KAIROS_EXE) + " " + arguments +
                            " 2>&1; echo \"status=$?\"");
    if (!run.lines.empty() && run.lines.back().starts_with("status=")) {
        run.status = std::stoi(run.lines.back().substr(7));
        run.lines.pop_back();
    }
    return run;
}

std::optional<double> NumberAfter(const std::string& text, const std::string& label) {
    const auto at = text.find(label);
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(text.c_str() + at + label.size(), nullptr);
}

class QueryCommand : public ::testing::TestWithParam<const char*> {};

TEST_P(QueryCommand, ReportsTheServersLeadAsNtpdigDoes) {
    const char* port = std::getenv("KAIROS_CHRONY_PORT");
    if (port == nullptr) GTEST_SKIP() << "no chronyd: run scripts/start-chronyd.sh first";
    const bool v6 = std::string(GetParam()) == "::1";
    if (v6 && std::getenv("KAIROS_CHRONY_IPV6") == nullptr) GTEST_SKIP() << "chronyd does not listen on ::1 here";

    const std::string server = (v6 ? "[::1]:" : "127.0.0.1:") + std::string(port);
    const Outcome run = Kairos("--query " + server);
    ASSERT_EQ(run.status, 0);
    ASSERT_EQ(run.lines.size(), 1u);
    EXPECT_TRUE(run.lines[0].starts_with(server + ": offset +")) << run.lines[0];
    EXPECT_TRUE(run.lines[0].ends_with(" s, stratum 1")) << run.lines[0];
    const auto ours = NumberAfter(run.lines[0], "offset ");
    ASSERT_TRUE(ours);
    EXPECT_NEAR(*ours, ServerLead, Agreement);

    const auto ntpdig = OutputLines(std::string(KAIROS_SCRIPTS_DIR "/ntpdig-at.sh ") + port + " -j -t 2 " + GetParam() +
                                    " 2>/dev/null");
    ASSERT_FALSE(ntpdig.empty());
    const auto theirs = NumberAfter(ntpdig[0], "\"offset\":");
    ASSERT_TRUE(theirs) << ntpdig[0];
    EXPECT_NEAR(*ours, *theirs, Agreement);
}

INSTANTIATE_TEST_SUITE_P(Loopback, QueryCommand, ::testing::Values("127.0.0.1", "::1"),
                         [](const auto& info) { return std::string(info.param) == "::1" ? "IPv6" : "IPv4"; });

TEST(CommandLine, AnswersWithoutADisplay) {
    const Outcome refused = Kairos("--query 127.0.0.1:1");
    EXPECT_EQ(refused.status, 1);
    ASSERT_EQ(refused.lines.size(), 1u);
    EXPECT_TRUE(refused.lines[0].starts_with("kairos: 127.0.0.1:1: 応答がありません")) << refused.lines[0];

    const Outcome help = Kairos("--help");
    EXPECT_EQ(help.status, 0);
    ASSERT_FALSE(help.lines.empty());
    EXPECT_TRUE(help.lines[0].starts_with("使い方: kairos"));

    const Outcome version = Kairos("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.lines, std::vector<std::string>{"kairos " KAIROS_VERSION});

    const Outcome wrong = Kairos("--frobnicate");
    EXPECT_EQ(wrong.status, 2);
    ASSERT_FALSE(wrong.lines.empty());
    EXPECT_EQ(wrong.lines[0], "kairos: 不明なオプションです: --frobnicate");
}

}  // namespace
