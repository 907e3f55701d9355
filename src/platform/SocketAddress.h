#pragma once
// Endpoints to and from the system's socket addresses.

#include <cstring>

#include "platform/IpAddress.h"
#include "platform/SocketHeaders.h"

namespace kairos::platform {

struct SocketAddress {
    sockaddr_storage storage{};
    SocketLength length = 0;

    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

inline SocketAddress ToSocketAddress(const Endpoint& endpoint) {
    SocketAddress address;
    if (endpoint.address.family == AddressFamily::V4) {
        sockaddr_in v4{};
        v4.sin_family = AF_INET;
        v4.sin_port = htons(endpoint.port);
        std::memcpy(&v4.sin_addr, endpoint.address.bytes.data(), 4);
        std::memcpy(&address.storage, &v4, sizeof v4);
        address.length = sizeof v4;
    } else {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(endpoint.port);
        std::memcpy(&v6.sin6_addr, endpoint.address.bytes.data(), 16);
        std::memcpy(&address.storage, &v6, sizeof v6);
        address.length = sizeof v6;
    }
    return address;
}

// The address family decides; anything but IPv4 and IPv6 gives an empty endpoint.
inline Endpoint FromSocketAddress(const sockaddr_storage& storage) {
    Endpoint endpoint;
    if (storage.ss_family == AF_INET) {
        sockaddr_in v4{};
        std::memcpy(&v4, &storage, sizeof v4);
        std::memcpy(endpoint.address.bytes.data(), &v4.sin_addr, 4);
        endpoint.port = ntohs(v4.sin_port);
    } else if (storage.ss_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, &storage, sizeof v6);
        endpoint.address.family = AddressFamily::V6;
        std::memcpy(endpoint.address.bytes.data(), &v6.sin6_addr, 16);
        endpoint.port = ntohs(v6.sin6_port);
    }
    return endpoint;
}

}  // namespace kairos::platform
