#pragma once
// Whether a datagram is the usable answer to one SNTP request, and what it
// says about the local clock.
//
// A reply that passes changes the machine's clock, so each test below guards
// against a way in which a forged, stale or broken reply could move it: the
// first group tells whether the datagram answers this request at all, the
// second whether the answer is sound. They are made in the order listed, and
// a datagram is refused for the first that fails.

#include <chrono>
#include <string_view>

#include "nettime/SntpPacket.h"
#include "platform/IpAddress.h"

namespace kairos {

enum class ReplyCheck {
    Accepted,
    // Not the reply to this request.
    WrongLength,
    WrongSender,
    NotServerMode,
    UnsupportedVersion,
    WrongOriginate,  // does not echo the request's random transmit stamp
    // The reply to this request, but unusable.
    Unsynchronised,     // leap indicator 3: the server's clock is not set
    BadStratum,         // 0 (a kiss code) or beyond 15
    ZeroTimestamp,        // originate, receive or transmit is 0
    RootDistanceTooLong,  // the server admits to being 16 s or more from true time
    NegativeDelay,        // the server's time passed faster than ours: a made-up timestamp
    DelayTooLong,         // longer than the client waited: a made-up timestamp
};

// The English name of a check, for the log.
std::string_view ReplyCheckName(ReplyCheck check);

// The four timestamps of one exchange: T1 request sent, T2 request received
// by the server, T3 reply sent by it, T4 reply received. T1 and T4 are read
// from the local clock; T2 and T3 come from the reply.
struct ExchangeTimes {
    platform::UtcTime sent;      // T1
    platform::UtcTime received;  // T4
};

// What a usable reply says: the local clock is `offset` behind the server's
// (negative: ahead), the round trip took `delay`.
struct SntpSample {
    platform::Endpoint server;
    std::chrono::nanoseconds offset{};
    std::chrono::nanoseconds delay{};
    int stratum = 0;
    platform::UtcTime received{};  // T4, on the local clock

    // The server's time at T4.
    platform::UtcTime ServerTime() const { return received + offset; }
};

inline constexpr auto MaxRootDistance = std::chrono::seconds(16);

struct ReplyJudgement {
    ReplyCheck check = ReplyCheck::WrongLength;
    SntpSample sample;  // filled when accepted
};

// requestStamp: the transmit timestamp the request carried. maxDelay: how
// long the client waits for a reply, which no true round trip can exceed.
ReplyJudgement JudgeReply(std::string_view datagram, const platform::Endpoint& sender,
                          const platform::Endpoint& destination, NtpTimestamp requestStamp, ExchangeTimes times,
                          std::chrono::nanoseconds maxDelay);

}  // namespace kairos
