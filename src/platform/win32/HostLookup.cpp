#include "platform/HostLookup.h"

#include <algorithm>
#include <memory>

#include "platform/SocketAddress.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Winsock.h"

namespace kairos::platform {
namespace {

struct AddrinfoDeleter {
    void operator()(ADDRINFOW* list) const { FreeAddrInfoW(list); }
};

// The resolver reports Windows socket numbers already, all but its
// out-of-memory code, which is a plain system error (8) without a socket
// message; the socket library's own word for that is WSAENOBUFS.
int SocketErrorOfResolver(int error) { return error == WSA_NOT_ENOUGH_MEMORY ? WSAENOBUFS : error; }

void AddOnce(std::vector<IpAddress>& addresses, const IpAddress& address) {
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) addresses.push_back(address);
}

}  // namespace

LookupOutcome LookupHost(const std::string& host) {
    LookupOutcome outcome;
    if (const int error = StartWinsock(); error != 0) {
        outcome.error = error;
        return outcome;
    }
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOW* list = nullptr;
    const int result = GetAddrInfoW(Widen(host).c_str(), nullptr, &hints, &list);
    const std::unique_ptr<ADDRINFOW, AddrinfoDeleter> owned(list);
    if (result != 0) {
        outcome.error = SocketErrorOfResolver(result);
        return outcome;
    }
    for (const ADDRINFOW* entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_addr == nullptr || (entry->ai_family != AF_INET && entry->ai_family != AF_INET6)) continue;
        sockaddr_storage storage{};
        std::memcpy(&storage, entry->ai_addr, std::min<std::size_t>(entry->ai_addrlen, sizeof storage));
        AddOnce(outcome.addresses, FromSocketAddress(storage).address);
    }
    if (outcome.addresses.empty()) outcome.error = WSANO_DATA;
    return outcome;
}

}  // namespace kairos::platform
