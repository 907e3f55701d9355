#pragma once
// The time server as the user writes it, and the addresses it stands for.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "nettime/SntpPacket.h"
#include "platform/HostLookup.h"
#include "platform/IpAddress.h"

namespace kairos {

struct ServerAddress {
    std::string host;  // a name, a dotted quad or an IPv6 address without brackets
    std::uint16_t port = SntpPort;
    friend bool operator==(const ServerAddress&, const ServerAddress&) = default;
};

// "host", "host:port", "[v6]" or "[v6]:port"; an address with more than one
// colon and no brackets ("::1", "2001:db8::5") is all host. Blanks around it
// are dropped. Empty for no host, a bad port or unbalanced brackets.
std::optional<ServerAddress> ParseServerAddress(std::string_view text);

// Four parts cut at the first three dots, each an integer from 0 to 255.
bool IsDottedQuad(std::string_view text);
// The four numbers of a dotted quad; empty when IsDottedQuad is false.
std::optional<platform::IpAddress> ParseDottedQuad(std::string_view text);

using HostLookupFunction = std::function<platform::LookupOutcome(const std::string&)>;

// "localhost" in any case is 127.0.0.1 and then ::1, and a dotted quad or an
// IPv6 address is itself, all without a lookup; any other name goes to the
// lookup, which gives every address it has, IPv6 and IPv4.
platform::LookupOutcome ResolveServer(const std::string& host, const HostLookupFunction& lookup = platform::LookupHost);

}  // namespace kairos
