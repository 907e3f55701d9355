#pragma once
// An SNTP server on a loopback address for tests: a thread that answers each
// request with the datagrams a script crafts from it, sent from the server's
// own port or from a second one (a stranger).

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nettime/ReplyCheck.h"
#include "nettime/SntpPacket.h"
#include "platform/ClockSetter.h"
#include "platform/UdpSocket.h"

namespace kairos::testing {

enum class SentFrom { ServerPort, OtherPort };

struct FakeDatagram {
    std::string bytes;
    SentFrom from = SentFrom::ServerPort;
};

inline std::string Bytes(const SntpPacket& packet) {
    const auto wire = EncodeSntpPacket(packet);
    return {reinterpret_cast<const char*>(wire.data()), wire.size()};
}

// A well-formed server reply (version 4, mode 4, stratum 2) to a request.
inline SntpPacket ServerReply(const SntpPacket& request, NtpTimestamp receive, NtpTimestamp transmit) {
    SntpPacket reply;
    reply.LeapVersionMode = (4 << 3) | 4;
    reply.Stratum = 2;
    reply.Precision = -20;
    reply.Originate = request.Transmit;
    reply.Receive = receive;
    reply.Transmit = transmit;
    return reply;
}

inline platform::IpAddress LoopbackOf(platform::AddressFamily family) {
    platform::IpAddress address = platform::IpAddress::V4(127, 0, 0, 1);
    if (family == platform::AddressFamily::V6) {
        address = {platform::AddressFamily::V6, {}};
        address.bytes[15] = 1;
    }
    return address;
}

using ReplyScript = std::function<std::vector<FakeDatagram>(const SntpPacket& request)>;

class FakeSntpServer {
public:
    // Port 0: any free one.
    explicit FakeSntpServer(ReplyScript script, platform::AddressFamily family = platform::AddressFamily::V4,
                            std::uint16_t port = 0)
        : script_(std::move(script)) {
        server_.Open(family);
        server_.Bind({LoopbackOf(family), port});
        stranger_.Open(family);
        stranger_.Bind({LoopbackOf(family), 0});
        worker_ = std::thread([this] { Serve(); });
    }
    ~FakeSntpServer() {
        stop_ = true;
        worker_.join();
    }
    FakeSntpServer(const FakeSntpServer&) = delete;
    FakeSntpServer& operator=(const FakeSntpServer&) = delete;

    // 0 when the family has no loopback address here.
    std::uint16_t Port() const {
        const auto local = server_.LocalEndpoint();
        return local ? local->port : 0;
    }

    // The requests as they came, in order.
    std::vector<SntpPacket> Requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        using namespace std::chrono_literals;
        while (!stop_) {
            if (server_.WaitReadable(20ms) != platform::WaitOutcome::Readable) continue;
            const platform::ReceiveOutcome request = server_.ReceiveFrom(1024);
            const auto packet = DecodeSntpPacket(request.data);
            if (request.error != 0 || !packet) continue;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(*packet);
            }
            for (const FakeDatagram& datagram : script_(*packet)) {
                platform::UdpSocket& via = datagram.from == SentFrom::ServerPort ? server_ : stranger_;
                via.SendTo(datagram.bytes, request.from);
            }
        }
    }

    ReplyScript script_;
    platform::UdpSocket server_;
    platform::UdpSocket stranger_;
    mutable std::mutex mutex_;
    std::vector<SntpPacket> requests_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// Hands out the given instants one per reading, then keeps the last: the
// request's and the reply's readings are the first two.
class SequenceClock {
public:
    explicit SequenceClock(std::deque<platform::UtcTime> instants) : instants_(std::move(instants)) {}
    platform::UtcTime operator()() {
        std::lock_guard lock(mutex_);
        const platform::UtcTime now = instants_.front();
        if (instants_.size() > 1) instants_.pop_front();
        return now;
    }

private:
    std::mutex mutex_;
    std::deque<platform::UtcTime> instants_;
};

class RecordingSetter final : public platform::ClockSetter {
public:
    platform::ClockSetResult SetUtc(platform::UtcTime instant) override {
        instants.push_back(instant);
        return result;
    }
    std::vector<platform::UtcTime> instants;
    platform::ClockSetResult result = platform::ClockSetResult::Set;
};

}  // namespace kairos::testing
