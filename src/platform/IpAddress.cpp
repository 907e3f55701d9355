#include "platform/IpAddress.h"

#include <string>

#include "platform/SocketHeaders.h"

namespace kairos::platform {

// inet_pton reads IPv4 strictly (four decimal parts), as the interface wants,
// on both systems.
std::optional<IpAddress> ParseIpAddress(std::string_view text) {
    // inet_pton reads up to a NUL; one inside the text would end it early.
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    const std::string terminated(text);
    IpAddress address;
    if (inet_pton(AF_INET, terminated.c_str(), address.bytes.data()) == 1) return address;
    address.family = AddressFamily::V6;
    if (inet_pton(AF_INET6, terminated.c_str(), address.bytes.data()) == 1) return address;
    return std::nullopt;
}

std::string FormatIpAddress(const IpAddress& address) {
    char text[INET6_ADDRSTRLEN] = {};
    const int family = address.family == AddressFamily::V4 ? AF_INET : AF_INET6;
    if (inet_ntop(family, address.bytes.data(), text, sizeof text) == nullptr) return {};
    return text;
}

std::string FormatEndpoint(const Endpoint& endpoint) {
    const std::string address = FormatIpAddress(endpoint.address);
    const std::string port = std::to_string(endpoint.port);
    if (endpoint.address.family == AddressFamily::V4) return address + ':' + port;
    return std::string("[").append(address).append("]:").append(port);
}

}  // namespace kairos::platform
