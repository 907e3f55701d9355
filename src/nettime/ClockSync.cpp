#include "nettime/ClockSync.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "nettime/SocketErrorText.h"

namespace kairos {
namespace {

using std::chrono::nanoseconds;

constexpr double NanosecondsPerSecond = 1e9;

double Seconds(nanoseconds span) { return static_cast<double>(span.count()) / NanosecondsPerSecond; }

SyncFailure FailureOf(platform::ClockSetResult result) {
    switch (result) {
        case platform::ClockSetResult::Set: return SyncFailure::None;
        case platform::ClockSetResult::NoPermission: return SyncFailure::NoPermission;
        case platform::ClockSetResult::SystemSyncActive: return SyncFailure::SystemSyncActive;
        case platform::ClockSetResult::Failed: return SyncFailure::SetFailed;
    }
    return SyncFailure::SetFailed;
}

SyncOutcome Failed(SyncFailure failure, std::optional<SntpSample> sample = std::nullopt) {
    return {SyncResult::Failed, failure, sample};
}

// The offset is taken against the clock as it reads now, not when the reply
// came: the step is right however long the way from there to here took.
SyncOutcome Apply(const SntpSample& sample, const SyncServices& services) {
    const platform::ClockSetResult result = services.setter.SetUtc(services.sntp.UtcNow() + sample.offset);
    if (result != platform::ClockSetResult::Set) return Failed(FailureOf(result), sample);
    return {SyncResult::Set, SyncFailure::None, sample};
}

SyncOutcome Correct(const SyncRequest& request, const SyncServices& services, QueryOutcome& query) {
    if (request.confirmed) return Apply(*request.confirmed, services);
    const auto server = ParseServerAddress(request.server);
    if (!server) return Failed(SyncFailure::HostNotFound);
    query = QueryTimeServer(*server, services.timeout, services.sntp);
    if (query.failure != QueryFailure::None) return Failed(FailureOfQuery(query.failure));
    const SntpSample& sample = *query.sample;
    if (std::chrono::abs(sample.offset) > MaxUnaskedStep) {
        if (request.limit == StepLimit::Refuse) return Failed(SyncFailure::StepTooLarge, sample);
        return {SyncResult::NeedsConfirmation, SyncFailure::None, sample};
    }
    return Apply(sample, services);
}

std::string WithProblem(const char* what, const QueryOutcome& query) {
    const std::string problem = QueryProblem(query);
    return problem.empty() ? std::string(what) : std::string(what).append(", ").append(problem);
}

std::string OutcomeForLog(const SyncOutcome& outcome, const QueryOutcome& query) {
    switch (outcome.failure) {
        case SyncFailure::None:
            return outcome.result == SyncResult::NeedsConfirmation ? "step too large, asking" : "set";
        case SyncFailure::HostNotFound: return WithProblem("host not found", query);
        case SyncFailure::NoReply: return WithProblem("no reply", query);
        case SyncFailure::BadReply: return WithProblem("bad reply", query);
        case SyncFailure::NoPermission: return "no permission to set the clock";
        case SyncFailure::SystemSyncActive: return "the system's time synchronisation keeps the clock";
        case SyncFailure::SetFailed: return "the clock could not be set";
        case SyncFailure::StepTooLarge: return "step too large, refused";
    }
    return "failed";
}

// The server as written, and the address that answered unless it says as much.
std::string ServerLabel(const std::string& server, const platform::IpAddress& answered) {
    const std::string address = platform::FormatIpAddress(answered);
    const auto parsed = ParseServerAddress(server);
    return !parsed || parsed->host != address ? server + " (" + address + ")" : server;
}

void Log(std::ostream& log, const SyncRequest& request, const SyncOutcome& outcome, const QueryOutcome& query) {
    std::string line = "kairos: time server ";
    if (outcome.sample) {
        char figures[128];
        std::snprintf(figures, sizeof figures, ": offset %+.6f s, delay %.6f s, stratum %d",
                      Seconds(outcome.sample->offset), Seconds(outcome.sample->delay), outcome.sample->stratum);
        line += ServerLabel(request.server, outcome.sample->server.address) + figures;
    } else if (!query.addresses.empty()) {
        line += request.server;
        line += " (";
        for (std::size_t i = 0; i < query.addresses.size(); ++i)
            line += (i == 0 ? "" : ", ") + platform::FormatIpAddress(query.addresses[i]);
        line += ')';
    } else {
        line += request.server;
    }
    if (request.confirmed) line += ", confirmed";
    log << line << ": " << OutcomeForLog(outcome, query) << '\n' << std::flush;
}

}  // namespace

SyncOutcome SyncClock(const SyncRequest& request, const SyncServices& services) {
    QueryOutcome query;
    const SyncOutcome outcome = Correct(request, services, query);
    if (services.log != nullptr) Log(*services.log, request, outcome, query);
    return outcome;
}

SyncFailure FailureOfQuery(QueryFailure failure) {
    switch (failure) {
        case QueryFailure::None: return SyncFailure::None;
        case QueryFailure::HostNotFound: return SyncFailure::HostNotFound;
        case QueryFailure::NoReply: return SyncFailure::NoReply;
        case QueryFailure::BadReply: return SyncFailure::BadReply;
    }
    return SyncFailure::NoReply;
}

std::string QueryProblem(const QueryOutcome& query) {
    if (query.failure == QueryFailure::BadReply) return std::string(ReplyCheckName(query.rejection));
    return query.socketError == 0 ? std::string() : SocketErrorLine(query.socketError);
}

std::string SyncStatusText(SyncResult result) {
    return std::string("時刻あわせに") + (result == SyncResult::Set ? "成功" : "失敗") + "しました";
}

std::string_view SyncFailureText(SyncFailure failure) {
    switch (failure) {
        case SyncFailure::None: return "";
        case SyncFailure::HostNotFound: return "サーバーが見つかりません";
        case SyncFailure::NoReply: return "応答がありません";
        case SyncFailure::BadReply: return "サーバーの応答が正しくありません";
        case SyncFailure::NoPermission: return "時計を設定する権限がありません";
        case SyncFailure::SystemSyncActive: return "システムの時刻同期が有効です";
        case SyncFailure::SetFailed: return "時計を設定できませんでした";
        case SyncFailure::StepTooLarge: return "時刻のずれが大きすぎます";
    }
    return "";
}

std::string SyncReportText(const SyncOutcome& outcome) {
    std::string text = SyncStatusText(outcome.result);
    if (outcome.result != SyncResult::Set) text.append("\n").append(SyncFailureText(outcome.failure));
    return text;
}

std::string StepSizeText(nanoseconds step) {
    struct Unit {
        std::int64_t seconds;
        const char* name;
    };
    static constexpr Unit Units[] = {{86'400, "日"}, {3'600, "時間"}, {60, "分"}, {1, "秒"}};
    const std::int64_t total = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::abs(step)).count();
    constexpr double DaysPerYear = 365.2425;
    if (total >= 365 * 86'400) {
        const long long years = std::llround(static_cast<double>(total) / 86'400 / DaysPerYear);
        return std::string("約").append(std::to_string(years)).append("年");
    }
    std::size_t first = 0;
    while (first + 1 < std::size(Units) && total < Units[first].seconds) ++first;
    std::string text = std::to_string(total / Units[first].seconds) + Units[first].name;
    if (first + 1 < std::size(Units)) {
        const std::int64_t next = total % Units[first].seconds / Units[first + 1].seconds;
        if (next != 0) text.append(" ").append(std::to_string(next)).append(Units[first + 1].name);
    }
    return text;
}

std::string StepQuestion(Moment serverLocalTime, nanoseconds offset) {
    const DecodedDate date = DecodeDate(serverLocalTime);
    const DecodedTime time = DecodeTime(serverLocalTime);
    char when[48];
    std::snprintf(when, sizeof when, "%04d/%02d/%02d %02d:%02d:%02d", date.year, date.month, date.day, time.hour,
                  time.minute, time.second);
    return std::string("サーバーの時刻は ") + when + " です。時計を " + StepSizeText(offset) + " " +
           (offset >= nanoseconds::zero() ? "進めますか？" : "戻しますか？");
}

std::string QueryReport(const std::string& server, const SntpSample& sample) {
    char figures[96];
    std::snprintf(figures, sizeof figures, ": offset %+.4f s, delay %.4f s, stratum %d", Seconds(sample.offset),
                  Seconds(sample.delay), sample.stratum);
    return ServerLabel(server, sample.server.address) + figures;
}

}  // namespace kairos
