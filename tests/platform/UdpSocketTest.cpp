#include "platform/UdpSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>
#include <utility>

#include "platform/HostLookup.h"

namespace kairos::platform {
namespace {

TEST(UdpSocket, MovedFromSocketNoLongerOwnsTheSocket) {
    UdpSocket first;
    ASSERT_EQ(first.Open(AddressFamily::V4), 0);
    UdpSocket second(std::move(first));
    EXPECT_FALSE(first.IsOpen());  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(second.IsOpen());
    second.Close();
    second.Close();
    EXPECT_FALSE(second.IsOpen());
}

using namespace std::chrono_literals;

IpAddress Loopback(AddressFamily family) {
    IpAddress address = IpAddress::V4(127, 0, 0, 1);
    if (family == AddressFamily::V6) address = {AddressFamily::V6, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}};
    return address;
}

// A socket bound to a free port of the loopback address.
Endpoint BindLoopback(UdpSocket& socket, AddressFamily family) {
    EXPECT_EQ(socket.Open(family), 0);
    EXPECT_EQ(socket.Bind({Loopback(family), 0}), 0);
    return socket.LocalEndpoint().value_or(Endpoint{});
}

std::string Receive(UdpSocket& socket, Endpoint* from = nullptr) {
    if (socket.WaitReadable(2s) != WaitOutcome::Readable) return "(nothing)";
    ReceiveOutcome outcome = socket.ReceiveFrom(64);
    if (outcome.error != 0) return "(error " + std::to_string(outcome.error) + ")";
    if (from != nullptr) *from = outcome.from;
    return outcome.data;
}

class LoopbackSocket : public ::testing::TestWithParam<AddressFamily> {
protected:
    void SetUp() override {
        server = BindLoopback(serverSocket, GetParam());
        if (server.port == 0) GTEST_SKIP() << "no loopback address of this family";
        ASSERT_EQ(client.Open(GetParam()), 0);
        ASSERT_EQ(client.Connect(server), 0);
    }

    UdpSocket serverSocket;
    Endpoint server;
    UdpSocket client;
};

TEST_P(LoopbackSocket, DatagramGoesToThePeerAndTheReplyComesBack) {
    ASSERT_EQ(client.Send("request").sent, 7);
    Endpoint from;
    EXPECT_EQ(Receive(serverSocket, &from), "request");
    EXPECT_EQ(from, client.LocalEndpoint());
    ASSERT_EQ(serverSocket.SendTo("reply", from).error, 0);
    Endpoint replier;
    EXPECT_EQ(Receive(client, &replier), "reply");
    EXPECT_EQ(replier, server);
}

TEST_P(LoopbackSocket, AConnectedSocketHearsOnlyItsPeer) {
    UdpSocket stranger;
    BindLoopback(stranger, GetParam());
    ASSERT_EQ(stranger.SendTo("forged", *client.LocalEndpoint()).error, 0);
    EXPECT_EQ(client.WaitReadable(200ms), WaitOutcome::TimedOut);
}

TEST_P(LoopbackSocket, APortNobodyListensAtRefusesTheDatagram) {
    serverSocket.Close();
    ASSERT_EQ(client.Send("request").error, 0);
    ASSERT_EQ(client.WaitReadable(2s), WaitOutcome::Readable);
    EXPECT_EQ(client.ReceiveFrom(64).error, 10061);
}

TEST_P(LoopbackSocket, ADatagramLongerThanTheBufferIsRefusedAndConsumed) {
    ASSERT_EQ(client.Send("hello").error, 0);
    Endpoint from;
    EXPECT_EQ(Receive(serverSocket, &from), "hello");
    ASSERT_EQ(serverSocket.SendTo(std::string(65, 'x'), from).error, 0);
    ASSERT_EQ(serverSocket.SendTo("next", from).error, 0);
    ASSERT_EQ(client.WaitReadable(2s), WaitOutcome::Readable);
    EXPECT_EQ(client.ReceiveFrom(64).error, 10040);
    EXPECT_EQ(Receive(client), "next");
}

TEST_P(LoopbackSocket, WaitEndsAtItsLimitAndRefusesANegativeOne) {
    EXPECT_EQ(client.WaitReadable(50ms), WaitOutcome::TimedOut);
    EXPECT_EQ(client.WaitReadable(-1ms), WaitOutcome::Failed);
    client.Close();
    EXPECT_EQ(client.WaitReadable(0ms), WaitOutcome::Failed);
}

INSTANTIATE_TEST_SUITE_P(Families, LoopbackSocket, ::testing::Values(AddressFamily::V4, AddressFamily::V6),
                         [](const auto& info) { return info.param == AddressFamily::V4 ? "IPv4" : "IPv6"; });

struct AddressCase {
    const char* text;
    const char* formatted;  // empty: not a numeric address
};
void PrintTo(const AddressCase& c, std::ostream* out) { *out << '"' << c.text << '"'; }

class NumericAddress : public ::testing::TestWithParam<AddressCase> {};

TEST_P(NumericAddress, ReadsAndWritesBack) {
    const auto address = ParseIpAddress(GetParam().text);
    EXPECT_EQ(address ? FormatIpAddress(*address) : "", GetParam().formatted);
}

INSTANTIATE_TEST_SUITE_P(Table, NumericAddress,
                         ::testing::Values(AddressCase{"192.0.2.1", "192.0.2.1"}, AddressCase{"::1", "::1"},
                                           AddressCase{"2001:0db8:0:0:0:0:0:5", "2001:db8::5"},
                                           AddressCase{"::ffff:192.0.2.1", "::ffff:192.0.2.1"},
                                           AddressCase{"ntp.example", ""}, AddressCase{"[::1]", ""},
                                           AddressCase{"1.2.3", ""}, AddressCase{"", ""}));

TEST(Endpoint, IPv6AddressesAreBracketedBeforeThePort) {
    EXPECT_EQ(FormatEndpoint({IpAddress::V4(127, 0, 0, 1), 123}), "127.0.0.1:123");
    EXPECT_EQ(FormatEndpoint({*ParseIpAddress("::1"), 123}), "[::1]:123");
}

TEST(LookupHost, GivesEveryAddressOnceFromTheHostsFile) {
    const LookupOutcome outcome = LookupHost("localhost");
    ASSERT_EQ(outcome.error, 0);
    EXPECT_NE(std::find(outcome.addresses.begin(), outcome.addresses.end(), IpAddress::V4(127, 0, 0, 1)),
              outcome.addresses.end());
    for (std::size_t i = 0; i < outcome.addresses.size(); ++i)
        for (std::size_t j = i + 1; j < outcome.addresses.size(); ++j) EXPECT_NE(outcome.addresses[i], outcome.addresses[j]);
}

}  // namespace
}  // namespace kairos::platform
