#include "nettime/IdUDPClient.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace kairos {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A peer on 127.0.0.1 at a port of the system's choosing: the only host any
// of these tests talks to.
class LoopbackPeer {
public:
    LoopbackPeer() {
        handle_.AllocateSocket(platform::BroadcastOption::Disabled);
        handle_.Bind("127.0.0.1", 0);
    }

    int Port() const { return handle_.LocalPort(); }

    // One datagram, or nothing within 5 s.
    std::optional<std::string> Receive() {
        if (!handle_.WaitReadable(5000)) return std::nullopt;
        return handle_.RecvFrom(IdDefaultBufferSize);
    }
    int SenderPort() const { return handle_.PeerPort(); }
    const std::string& SenderIP() const { return handle_.PeerIP(); }

    void SendTo(int port, const std::string& data) { handle_.SendTo("127.0.0.1", port, data); }
    void Echo() {
        const auto data = Receive();
        ASSERT_TRUE(data.has_value());
        SendTo(SenderPort(), *data);
    }

private:
    TIdSocketHandle handle_;
};

class UdpClient : public ::testing::Test {
protected:
    UdpClient() {
        client.SetHost("localhost");
        client.SetPort(peer.Port());
    }

    // The client's own port, known once it has sent something.
    int ClientPort() { return client.Binding().LocalPort(); }

    LoopbackPeer peer;
    TIdUDPClient client;
};

TEST_F(UdpClient, DatagramGoesToThePeerAndTheReplyComesBack) {
    client.SendDatagram(std::string("\x1b\0request", 9));
    peer.Echo();
    TIdPeer sender;
    EXPECT_EQ(client.ReceiveDatagram(5000, sender), std::string("\x1b\0request", 9));
    EXPECT_EQ(sender.IP, "127.0.0.1");
    EXPECT_EQ(sender.Port, peer.Port());
    EXPECT_EQ(client.LastPeer().Port, peer.Port());
    EXPECT_EQ(client.LastDestination().IP, "127.0.0.1");
    EXPECT_EQ(client.LastDestination().Port, peer.Port());
}

TEST_F(UdpClient, ReportsTheRealSenderNotTheDestination) {
    client.SendDatagram("request");
    ASSERT_TRUE(peer.Receive().has_value());
    LoopbackPeer intruder;
    intruder.SendTo(ClientPort(), "forged");
    TIdPeer sender;
    EXPECT_EQ(client.ReceiveDatagram(5000, sender), "forged");
    EXPECT_EQ(sender.Port, intruder.Port());
    EXPECT_NE(sender.Port, client.LastDestination().Port);
}

TEST_F(UdpClient, EachClientSendsFromItsOwnPort) {
    TIdUDPClient other;
    client.SendDatagram("a");
    other.SendDatagramTo("127.0.0.1", peer.Port(), "b");
    ASSERT_TRUE(peer.Receive().has_value());
    const int firstPort = peer.SenderPort();
    ASSERT_TRUE(peer.Receive().has_value());
    EXPECT_NE(peer.SenderPort(), firstPort);
    EXPECT_EQ(peer.SenderIP(), "127.0.0.1");
}

TEST_F(UdpClient, NothingArrivingGivesAnEmptyResultAfterTheReceiveTimeout) {
    client.SendDatagram("unanswered");
    client.SetReceiveTimeout(300);
    const auto start = Clock::now();
    EXPECT_EQ(client.ReceiveDatagram(IdTimeoutDefault), "");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 3s);
    EXPECT_EQ(client.LastPeer().IP, "");
    EXPECT_EQ(client.LastPeer().Port, 0);
}

TEST_F(UdpClient, InfiniteReceiveTimeoutWaitsForALateDatagram) {
    client.SendDatagram("request");
    ASSERT_TRUE(peer.Receive().has_value());
    ASSERT_EQ(client.ReceiveTimeout(), IdTimeoutInfinite);
    std::thread late([this, port = ClientPort()] {
        std::this_thread::sleep_for(300ms);
        peer.SendTo(port, "late");
    });
    EXPECT_EQ(client.ReceiveDatagram(), "late");
    late.join();
}

TEST_F(UdpClient, DatagramLongerThanTheBufferIsRefusedAndLost) {
    client.SendDatagram("request");
    ASSERT_TRUE(peer.Receive().has_value());
    client.SetBufferSize(48);
    peer.SendTo(ClientPort(), std::string(49, 'x'));
    peer.SendTo(ClientPort(), std::string(48, 'y'));
    try {
        client.ReceiveDatagram(5000);
        FAIL() << "accepted";
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.LastError(), WSAEMSGSIZE);
        EXPECT_STREQ(error.what(), "Socket Error # 10040\r\nMessage too long.");
    }
    EXPECT_EQ(client.ReceiveDatagram(5000), std::string(48, 'y'));
}

TEST_F(UdpClient, DatagramTooBigToSend) {
    try {
        client.SendDatagram(std::string(70000, 'x'));
        FAIL() << "sent";
    } catch (const EIdPackageSizeTooBig& error) {
        EXPECT_STREQ(error.what(), "Package Size Too Big.");
    }
}

TEST_F(UdpClient, UnknownHostFailsBeforeAnySocketIsOpened) {
    client.SetHost("kairos-no-such-host.invalid");
    EXPECT_THROW(client.SendDatagram("request"), EIdSocketError);
    EXPECT_FALSE(client.Active());
}

TEST_F(UdpClient, BroadcastOptionFollowsTheProperty) {
    client.SetBroadcastEnabled(true);
    int value = 0;
    socklen_t length = sizeof value;
    ASSERT_EQ(getsockopt(client.Binding().Handle(), SOL_SOCKET, SO_BROADCAST, &value, &length), 0);
    EXPECT_NE(value, 0);
}

TEST_F(UdpClient, ClosingTwiceIsHarmlessAndTheSocketComesBackOnNeed) {
    client.SendDatagram("request");
    EXPECT_TRUE(client.Active());
    client.SetActive(false);
    client.SetActive(false);
    EXPECT_FALSE(client.Active());
    client.SendDatagram("again");
    EXPECT_TRUE(client.Active());
}

TEST(SocketHandle, WaitWithoutASocketIsAGracefulClose) {
    TIdSocketHandle handle;
    EXPECT_THROW(handle.WaitReadable(0), EIdConnClosedGracefully);
    handle.AllocateSocket(platform::BroadcastOption::Disabled);
    handle.CloseSocket();
    handle.CloseSocket();
    EXPECT_EQ(handle.Handle(), -1);
    EXPECT_THROW(handle.WaitReadable(0), EIdSilentException);
}

TEST(SocketHandle, NegativeTimeoutOtherThanInfiniteFailsAtOnce) {
    TIdSocketHandle handle;
    handle.AllocateSocket(platform::BroadcastOption::Disabled);
    const auto start = Clock::now();
    EXPECT_FALSE(handle.WaitReadable(IdTimeoutDefault));
    EXPECT_LT(Clock::now() - start, 1s);
}

struct LimitCase {
    int timeoutMs;
    std::optional<std::pair<long, long>> expected;  // seconds, microseconds
};

class WaitLimit : public ::testing::TestWithParam<LimitCase> {};

TEST_P(WaitLimit, SplitIntoSecondsAndMicroseconds) {
    const auto limit = WaitLimitFor(GetParam().timeoutMs);
    ASSERT_EQ(limit.has_value(), GetParam().expected.has_value());
    if (limit) {
        EXPECT_EQ(limit->Seconds, GetParam().expected->first);
        EXPECT_EQ(limit->Microseconds, GetParam().expected->second);
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WaitLimit,
                         ::testing::Values(LimitCase{1500, std::pair{1L, 500000L}}, LimitCase{0, std::pair{0L, 0L}},
                                           LimitCase{999, std::pair{0L, 999000L}},
                                           LimitCase{3000, std::pair{3L, 0L}},
                                           LimitCase{IdTimeoutInfinite, std::nullopt},
                                           LimitCase{IdTimeoutDefault, std::pair{0L, -1000L}}));

}  // namespace
}  // namespace kairos
