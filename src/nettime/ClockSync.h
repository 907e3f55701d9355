#pragma once
// The clock correction: one query of the time server and, with a usable
// answer, the setting of the machine's clock, reduced to an outcome the user
// is told in plain words.

#include <chrono>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "nettime/SntpClient.h"
#include "platform/ClockSetter.h"
#include "platform/Moment.h"

namespace kairos {

// Beyond this a periodic run refuses to step the clock, and one the user
// started asks first: a wrong server must not move the clock by days behind
// anyone's back, while a machine whose clock was reset still needs the step.
inline constexpr std::chrono::seconds MaxUnaskedStep{1000};

enum class StepLimit {
    Refuse,  // fail past MaxUnaskedStep
    Ask,     // hand the sample back for a question past it
};

enum class SyncResult { Set, Failed, NeedsConfirmation, Declined };

enum class SyncFailure {
    None,
    HostNotFound,
    NoReply,
    BadReply,
    NoPermission,
    SystemSyncActive,
    SetFailed,
    StepTooLarge,
};

struct SyncRequest {
    std::string server;  // as the settings hold it: "host", "host:port", "[v6]:port"
    StepLimit limit = StepLimit::Refuse;
    // A step the user has agreed to: applied to the clock as it is now,
    // without asking the server again.
    std::optional<SntpSample> confirmed;
};

struct SyncOutcome {
    SyncResult result = SyncResult::Failed;
    SyncFailure failure = SyncFailure::None;
    std::optional<SntpSample> sample;
};

struct SyncServices {
    SntpServices sntp{};
    platform::ClockSetter& setter = platform::SystemClockSetter();
    std::chrono::milliseconds timeout = SyncReceiveTimeout;
    // One line per run; none when null.
    std::ostream* log = nullptr;
};

SyncOutcome SyncClock(const SyncRequest& request, const SyncServices& services);

// "時刻あわせに成功しました" or "時刻あわせに失敗しました".
std::string SyncStatusText(SyncResult result);
// Why a run failed, in a few words for the second line of a box; empty for None.
std::string_view SyncFailureText(SyncFailure failure);
// The box after a run the user started: the status text, and after a
// failure its reason on a second line.
std::string SyncReportText(const SyncOutcome& outcome);
// Why a query failed, as a run's failure.
SyncFailure FailureOfQuery(QueryFailure failure);
// What went wrong underneath, for whoever looks into it: the reply check
// that refused the last answer, or the last socket error; empty for none.
std::string QueryProblem(const QueryOutcome& query);
// "3日 2時間": the size of a step in its two largest units, or "約13年" for a
// year and more.
std::string StepSizeText(std::chrono::nanoseconds step);
// The question before a big step, with the server's time as the local clock
// would read it.
std::string StepQuestion(Moment serverLocalTime, std::chrono::nanoseconds offset);
// "127.0.0.1: offset +5.0004 s, delay 0.0010 s, stratum 3"; a name is
// followed by the address that answered.
std::string QueryReport(const std::string& server, const SntpSample& sample);

}  // namespace kairos
