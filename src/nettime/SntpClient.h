#pragma once
// One SNTP query: the server's name resolved to all its addresses, and one
// request and reply with the first address that gives a usable one.

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "nettime/ReplyCheck.h"
#include "nettime/ServerAddress.h"

namespace kairos {

enum class QueryFailure {
    None,
    HostNotFound,
    NoReply,   // nothing came back, or nothing could be sent
    BadReply,  // the server answered, but never usably
};

struct QueryOutcome {
    std::optional<SntpSample> sample;  // when failure is None
    QueryFailure failure = QueryFailure::NoReply;
    std::vector<platform::IpAddress> addresses;  // what the name stood for
    // For the log: the last reply refused and the last socket error.
    ReplyCheck rejection = ReplyCheck::Accepted;
    int socketError = 0;
};

// What the query reads of the machine; tests hand in their own.
struct SntpServices {
    // The local clock, read as UTC.
    std::function<platform::UtcTime()> UtcNow = platform::UtcNow;
    HostLookupFunction Lookup = platform::LookupHost;
    // Another thread may set it to end the query early, as with no reply.
    const std::atomic<bool>* Cancelled = nullptr;
};

inline constexpr std::chrono::milliseconds SyncReceiveTimeout{3000};

// The addresses are tried in turn within the one timeout, each with an equal
// share of the time still left, so that a silent first address cannot use it
// all. Every request carries 64 random bits as its transmit timestamp, so
// that nobody who cannot see it can forge the reply; the send time is kept
// locally.
QueryOutcome QueryTimeServer(const ServerAddress& server, std::chrono::milliseconds timeout = SyncReceiveTimeout,
                             const SntpServices& services = {});

}  // namespace kairos
