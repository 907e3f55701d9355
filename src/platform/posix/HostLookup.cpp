#include "platform/HostLookup.h"

#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "platform/ErrorTable.h"
#include "platform/SocketAddress.h"
#include "platform/posix/SocketErrors.h"

namespace kairos::platform {
namespace {

// WSAHOST_NOT_FOUND, WSATRY_AGAIN, WSANO_RECOVERY and WSANO_DATA are what
// the Windows resolver reports for the same situations.
constexpr ErrorPair ResolverTable[] = {
    {EAI_NONAME, 11001},     {EAI_AGAIN, 11002},  {EAI_FAIL, 11003},   {EAI_NODATA, 11004},
    {EAI_ADDRFAMILY, 11004}, {EAI_MEMORY, 10055}, {EAI_FAMILY, 10047}, {EAI_SOCKTYPE, 10044},
    {EAI_SERVICE, 10109},    {EAI_BADFLAGS, 10022},
};

struct AddrinfoDeleter {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

LookupOutcome LookupHost(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* list = nullptr;
    const int result = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    const std::unique_ptr<addrinfo, AddrinfoDeleter> owned(list);
    LookupOutcome outcome;
    if (result != 0) {
        outcome.error = SocketErrorFromResolver(result, errno);
        return outcome;
    }
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_addr == nullptr || (entry->ai_family != AF_INET && entry->ai_family != AF_INET6)) continue;
        sockaddr_storage storage{};
        std::memcpy(&storage, entry->ai_addr, std::min<std::size_t>(entry->ai_addrlen, sizeof storage));
        const IpAddress address = FromSocketAddress(storage).address;
        if (std::find(outcome.addresses.begin(), outcome.addresses.end(), address) == outcome.addresses.end())
            outcome.addresses.push_back(address);
    }
    if (outcome.addresses.empty()) outcome.error = SocketErrorFromResolver(EAI_NODATA, 0);
    return outcome;
}

int SocketErrorFromResolver(int resolverError, int posixError) {
    if (resolverError == EAI_SYSTEM) return SocketErrorFromErrno(posixError);
    // Negative EAI values must not pass as an error number.
    return TranslateError(ResolverTable, resolverError, 11003);
}

}  // namespace kairos::platform
