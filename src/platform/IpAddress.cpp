#include "platform/IpAddress.h"

namespace kairos::platform {

std::string FormatEndpoint(const Endpoint& endpoint) {
    const std::string address = FormatIpAddress(endpoint.address);
    const std::string port = std::to_string(endpoint.port);
    if (endpoint.address.family == AddressFamily::V4) return address + ':' + port;
    return std::string("[").append(address).append("]:").append(port);
}

}  // namespace kairos::platform
