#include "nettime/SNTP.h"

namespace kairos {

bool SyncClockFromHost(const std::string& host) { return SyncClockFromHost(host, SyncClockOptions{}); }

bool SyncClockFromHost(const std::string& host, const SyncClockOptions& options) {
    // The caller only reports success or failure; a lookup, socket or
    // resource failure is just one more way to fail.
    try {
        TIdSNTP sntp(options.Services);
        sntp.SetHost(host);
        sntp.SetPort(options.Port);
        sntp.SetReceiveTimeout(options.ReceiveTimeoutMs);
        return sntp.SyncClock();
    } catch (...) {
        return false;
    }
}

}  // namespace kairos
