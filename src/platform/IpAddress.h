#pragma once
// IPv4 and IPv6 addresses and the endpoints of datagrams.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kairos::platform {

enum class AddressFamily { V4, V6 };

struct IpAddress {
    AddressFamily family = AddressFamily::V4;
    // An IPv4 address fills the first four bytes; the rest stay 0.
    std::array<std::uint8_t, 16> bytes{};

    static IpAddress V4(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
        return {AddressFamily::V4, {a, b, c, d}};
    }
    friend bool operator==(const IpAddress&, const IpAddress&) = default;
};

struct Endpoint {
    IpAddress address;
    std::uint16_t port = 0;  // host order
    friend bool operator==(const Endpoint&, const Endpoint&) = default;
};

// The numeric forms the system reads: "192.0.2.1" (exactly four decimal
// parts) or any IPv6 form ("::1", "2001:db8::5"); nothing for a name.
std::optional<IpAddress> ParseIpAddress(std::string_view text);
// "192.0.2.1", "::1" (the shortest IPv6 form).
std::string FormatIpAddress(const IpAddress& address);
// "192.0.2.1:123", "[::1]:123".
std::string FormatEndpoint(const Endpoint& endpoint);

}  // namespace kairos::platform
