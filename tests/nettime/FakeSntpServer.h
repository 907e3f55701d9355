#pragma once
// An SNTP server on 127.0.0.1 for tests: a thread that answers each request
// with the datagrams a script crafts from it, sent from the server's own port
// or from a second one (a stranger).

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nettime/IdSNTP.h"
#include "nettime/IdSocketHandle.h"
#include "platform/Clock.h"
#include "platform/DateTime.h"

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
    reply.Originate = request.Transmit;
    reply.Receive = receive;
    reply.Transmit = transmit;
    return reply;
}

// The NTP timestamp of a local wall-clock reading, exact to the millisecond
// and rounded up so that the client's millisecond cut gives it back.
inline NtpTimestamp NtpOf(TDateTime localWholeMs, int biasMinutes) {
    const auto parts = SplitMoment(localWholeMs);
    const std::int64_t msSince1900 =
        (parts.day - 2) * MillisecondsPerDay + parts.millisecondOfDay + std::int64_t{biasMinutes} * 60'000;
    const std::int64_t seconds = msSince1900 / 1000;
    const std::uint64_t ms = static_cast<std::uint64_t>(msSince1900 % 1000);
    return {static_cast<std::uint32_t>(seconds), static_cast<std::uint32_t>((ms * 4'294'967'297ULL + 999) / 1000)};
}

using ReplyScript = std::function<std::vector<FakeDatagram>(const SntpPacket& request)>;

class FakeSntpServer {
public:
    explicit FakeSntpServer(ReplyScript script) : script_(std::move(script)) {
        for (TIdSocketHandle* socket : {&server_, &stranger_}) {
            socket->AllocateSocket(platform::BroadcastOption::Disabled);
            socket->Bind("127.0.0.1", 0);
        }
        worker_ = std::thread([this] { Serve(); });
    }
    ~FakeSntpServer() {
        stop_ = true;
        worker_.join();
    }
    FakeSntpServer(const FakeSntpServer&) = delete;
    FakeSntpServer& operator=(const FakeSntpServer&) = delete;

    int Port() const { return server_.LocalPort(); }
    int OtherPort() const { return stranger_.LocalPort(); }

    // The source ports the requests came from, in order.
    std::vector<int> RequestPorts() const {
        std::lock_guard lock(mutex_);
        return requestPorts_;
    }

private:
    void Serve() {
        while (!stop_) {
            try {
                if (!server_.WaitReadable(20)) continue;
                const std::string request = server_.RecvFrom(1024);
                const auto packet = DecodeSntpPacket(request);
                if (!packet) continue;
                const std::string ip = server_.PeerIP();
                const int port = server_.PeerPort();
                {
                    std::lock_guard lock(mutex_);
                    requestPorts_.push_back(port);
                }
                for (const FakeDatagram& datagram : script_(*packet)) {
                    TIdSocketHandle& via = datagram.from == SentFrom::ServerPort ? server_ : stranger_;
                    via.SendTo(ip, port, datagram.bytes);
                }
            } catch (const std::exception&) {
                // A test sees a missing answer as a failed exchange.
            }
        }
    }

    ReplyScript script_;
    TIdSocketHandle server_;
    TIdSocketHandle stranger_;
    mutable std::mutex mutex_;
    std::vector<int> requestPorts_;
    std::atomic<bool> stop_{false};
    std::thread worker_;
};

// Hands out the given moments one per reading, then keeps the last: the
// request's and the reply's readings are the first two.
class SequenceClock final : public platform::Clock {
public:
    explicit SequenceClock(std::deque<TDateTime> moments) : moments_(std::move(moments)) {}
    TDateTime Now() const override {
        const TDateTime now = moments_.front();
        if (moments_.size() > 1) moments_.pop_front();
        return now;
    }
    std::uint32_t TickCount() const override { return 0; }

private:
    mutable std::deque<TDateTime> moments_;
};

class RecordingSetter final : public platform::ClockSetter {
public:
    bool SetLocalTime(TDateTime local) override {
        moments.push_back(local);
        return true;
    }
    std::vector<TDateTime> moments;
};

}  // namespace kairos::testing
