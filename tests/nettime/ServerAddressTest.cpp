// The server as written: its parts and its addresses; and the texts of
// socket errors.

#include "nettime/ServerAddress.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "nettime/SocketErrorText.h"

namespace kairos {
namespace {

struct QuadCase {
    const char* text;
    bool expected;
};

class DottedQuad : public ::testing::TestWithParam<QuadCase> {};

TEST_P(DottedQuad, Recognised) { EXPECT_EQ(IsDottedQuad(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(
    Cases, DottedQuad,
    ::testing::Values(QuadCase{"127.0.0.1", true}, QuadCase{"0.0.0.0", true}, QuadCase{"255.255.255.255", true},
                      QuadCase{"010.001.0.0255", true},  // integers, whatever their leading zeros
                      QuadCase{"192.168.1.256", false}, QuadCase{"1.2.3", false}, QuadCase{"1.2.3.x", false},
                      QuadCase{"", false}, QuadCase{"1..2.3", false}, QuadCase{"1.2.3.", false},
                      QuadCase{"1.2.3.4.5", false}, QuadCase{" 1.2.3.4", false}, QuadCase{"1.2.3.-4", false},
                      QuadCase{"1.2.3.99999999999", false}));

TEST(DottedQuad, LeadingZerosAreOnlyDigits) {
    EXPECT_EQ(platform::FormatIpAddress(*ParseDottedQuad("010.001.0.0255")), "10.1.0.255");
}

struct ServerCase {
    const char* text;
    std::optional<ServerAddress> parsed;
};
void PrintTo(const ServerCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class ServerText : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ServerText, SplitsHostAndPort) { EXPECT_EQ(ParseServerAddress(GetParam().text), GetParam().parsed); }

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerText,
    ::testing::Values(ServerCase{"ntp.nict.jp", ServerAddress{"ntp.nict.jp", 123}},
                      ServerCase{" ntp.nict.jp\t", ServerAddress{"ntp.nict.jp", 123}},
                      ServerCase{"127.0.0.1:1123", ServerAddress{"127.0.0.1", 1123}},
                      ServerCase{"::1", ServerAddress{"::1", 123}},
                      ServerCase{"2001:db8::5", ServerAddress{"2001:db8::5", 123}},
                      ServerCase{"[::1]", ServerAddress{"::1", 123}},
                      ServerCase{"[::1]:4123", ServerAddress{"::1", 4123}},
                      ServerCase{"", std::nullopt}, ServerCase{"  ", std::nullopt}, ServerCase{":123", std::nullopt},
                      ServerCase{"host:", std::nullopt}, ServerCase{"host:0", std::nullopt},
                      ServerCase{"host:65536", std::nullopt}, ServerCase{"host:12x", std::nullopt},
                      ServerCase{"[::1", std::nullopt}, ServerCase{"[::1]123", std::nullopt},
                      ServerCase{"[]:123", std::nullopt}));

struct ErrorTextCase {
    int number;
    const char* expected;
};

class ErrorText : public ::testing::TestWithParam<ErrorTextCase> {};

TEST_P(ErrorText, Formatted) { EXPECT_EQ(SocketErrorText(GetParam().number), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Table, ErrorText,
    ::testing::Values(ErrorTextCase{10004, "Socket Error # 10004\r\nInterrupted system call."},
                      ErrorTextCase{10035, "Socket Error # 10035\r\nOperation would block. "},
                      ErrorTextCase{10040, "Socket Error # 10040\r\nMessage too long."},
                      ErrorTextCase{10047, "Socket Error # 10047\r\nAddress family not supported by protocol family."},
                      ErrorTextCase{10061, "Socket Error # 10061\r\nConnection refused."},
                      ErrorTextCase{10066, "Socket Error # 10066\r\nDirectory not empty"},
                      ErrorTextCase{11001, "Socket Error # 11001\r\nHost not found."},
                      // out of the table: the line break ends the message
                      ErrorTextCase{0, "Socket Error # 0\r\n"}, ErrorTextCase{10000, "Socket Error # 10000\r\n"},
                      ErrorTextCase{10067, "Socket Error # 10067\r\n"},
                      ErrorTextCase{11002, "Socket Error # 11002\r\n"},
                      ErrorTextCase{-1, "Socket Error # -1\r\n"}));

struct ResolveCase {
    const char* host;
    std::vector<const char*> addresses;
    bool looksUp;
};
void PrintTo(const ResolveCase& c, std::ostream* out) { *out << '"' << c.host << '"'; }

class Resolve : public ::testing::TestWithParam<ResolveCase> {};

// The lookup stands in for the resolver and answers 192.0.2.7 for anything.
TEST_P(Resolve, OnlyNamesGoToTheLookup) {
    std::vector<std::string> asked;
    const auto lookup = [&asked](const std::string& host) {
        asked.push_back(host);
        return platform::LookupOutcome{{platform::IpAddress::V4(192, 0, 2, 7)}, 0};
    };
    const platform::LookupOutcome outcome = ResolveServer(GetParam().host, lookup);
    std::vector<std::string> addresses;
    for (const auto& address : outcome.addresses) addresses.push_back(platform::FormatIpAddress(address));
    EXPECT_EQ(addresses, std::vector<std::string>(GetParam().addresses.begin(), GetParam().addresses.end()));
    EXPECT_EQ(asked.size(), GetParam().looksUp ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, Resolve,
    ::testing::Values(ResolveCase{"localhost", {"127.0.0.1", "::1"}, false},
                      ResolveCase{"LocalHost", {"127.0.0.1", "::1"}, false},
                      ResolveCase{"10.20.30.40", {"10.20.30.40"}, false},
                      ResolveCase{"127.000.0.1", {"127.0.0.1"}, false},
                      ResolveCase{"::1", {"::1"}, false}, ResolveCase{"2001:db8::5", {"2001:db8::5"}, false},
                      // not a quad: the name lookup decides what it is
                      ResolveCase{"192.168.1.256", {"192.0.2.7"}, true}, ResolveCase{"1.2.3", {"192.0.2.7"}, true},
                      ResolveCase{"ntp.example", {"192.0.2.7"}, true}));

TEST(Resolve, AFailedLookupKeepsItsError) {
    const auto lookup = [](const std::string&) { return platform::LookupOutcome{{}, WSAHOST_NOT_FOUND}; };
    EXPECT_EQ(ResolveServer("kairos-no-such-host.invalid", lookup).error, WSAHOST_NOT_FOUND);
}

TEST(SocketErrorLine, IsTheTextOnOneLine) {
    EXPECT_EQ(SocketErrorLine(10061), "Socket Error # 10061 Connection refused.");
    EXPECT_EQ(SocketErrorLine(10067), "Socket Error # 10067");
}

}  // namespace
}  // namespace kairos
