#include "shell/QueryCommand.h"

#include <ostream>

#include "nettime/ClockSync.h"

namespace kairos {
int RunQueryCommand(const std::string& server, std::ostream& out, std::ostream& err, const SntpServices& services) {
    const auto address = ParseServerAddress(server);
    QueryOutcome outcome;
    outcome.failure = QueryFailure::HostNotFound;
    if (address) outcome = QueryTimeServer(*address, SyncReceiveTimeout, services);
    if (outcome.sample) {
        out << QueryReport(server, *outcome.sample) << '\n';
        return 0;
    }
    err << "kairos: " << server << ": " << SyncFailureText(FailureOfQuery(outcome.failure));
    if (const std::string detail = QueryProblem(outcome); !detail.empty()) err << " (" << detail << ')';
    err << '\n';
    return 1;
}

}  // namespace kairos
