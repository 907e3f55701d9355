#pragma once
// The clock correction run: one SNTP exchange with a named server and the
// setting of the clock, reduced to success or failure.

#include <string>

#include "nettime/IdSNTP.h"

namespace kairos {

inline constexpr int SyncReceiveTimeoutMs = 3000;

struct SyncClockOptions {
    int Port = SntpPort;
    int ReceiveTimeoutMs = SyncReceiveTimeoutMs;
    SntpServices Services{};
};

// True only when the clock was set; every failure, raised or not, is false.
bool SyncClockFromHost(const std::string& host);
bool SyncClockFromHost(const std::string& host, const SyncClockOptions& options);

}  // namespace kairos
