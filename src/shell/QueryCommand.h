#pragma once
// kairos --query HOST[:PORT]: one question to a time server, answered on the
// terminal; the clock is never set.

#include <iosfwd>
#include <string>

#include "nettime/SntpClient.h"

namespace kairos {

// 0 after printing the report on out; 1 after printing the reason on err.
int RunQueryCommand(const std::string& server, std::ostream& out, std::ostream& err,
                    const SntpServices& services = {});

}  // namespace kairos
