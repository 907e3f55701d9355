#pragma once
// Host names to addresses, through the system resolver (hosts file, DNS, ...).
//
// Failures are the error numbers of the Windows socket library (11001 for an
// unknown host, ...), whatever the OS; see UdpSocket.h. 0 means success.

#include <string>
#include <vector>

#include "platform/IpAddress.h"

namespace kairos::platform {

struct LookupOutcome {
    // Every address of the name, IPv6 and IPv4, in the resolver's order of
    // preference and without repeats; not empty when error is 0.
    std::vector<IpAddress> addresses;
    int error = 0;
};

LookupOutcome LookupHost(const std::string& host);

}  // namespace kairos::platform
