#include "shell/QueryCommand.h"

#include <ostream>

#include "nettime/ClockSync.h"
#include "nettime/SocketErrorText.h"

namespace kairos {
namespace {

SyncFailure FailureOf(QueryFailure failure) {
    switch (failure) {
        case QueryFailure::HostNotFound: return SyncFailure::HostNotFound;
        case QueryFailure::BadReply: return SyncFailure::BadReply;
        case QueryFailure::NoReply:
        case QueryFailure::None: break;
    }
    return SyncFailure::NoReply;
}

// What went wrong underneath, for whoever wants to look into it.
std::string Detail(const QueryOutcome& outcome) {
    if (outcome.failure == QueryFailure::BadReply) return std::string(ReplyCheckName(outcome.rejection));
    return outcome.socketError == 0 ? std::string() : SocketErrorLine(outcome.socketError);
}

}  // namespace

int RunQueryCommand(const std::string& server, std::ostream& out, std::ostream& err, const SntpServices& services) {
    const auto address = ParseServerAddress(server);
    QueryOutcome outcome;
    outcome.failure = QueryFailure::HostNotFound;
    if (address) outcome = QueryTimeServer(*address, SyncReceiveTimeout, services);
    if (outcome.sample) {
        out << QueryReport(server, *outcome.sample) << '\n';
        return 0;
    }
    err << "kairos: " << server << ": " << SyncFailureText(FailureOf(outcome.failure));
    if (const std::string detail = Detail(outcome); !detail.empty()) err << " (" << detail << ')';
    err << '\n';
    return 1;
}

}  // namespace kairos
