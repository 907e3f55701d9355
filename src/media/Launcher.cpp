#include "media/Launcher.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Process.h"

namespace kairos {
namespace {

constexpr auto PollInterval = std::chrono::milliseconds(1000);

std::function<void()>& MessagePump() {
    static std::function<void()> pump;
    return pump;
}

void ProcessMessages() {
    if (const auto& pump = MessagePump()) pump();
}

int FailureResult(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return ExecuteFileNotFound;
        case EACCES:
        case EPERM:
            return ExecuteAccessDenied;
        case ENOMEM:
        case EAGAIN:
            return ExecuteOutOfResources;
        default:
            return ExecuteNoAssociation;
    }
}

// "scheme:" as URLs begin. Checked only for names that are no existing file,
// so a file called "notes:today" still opens as a file.
bool LooksLikeUrl(std::string_view name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin() + 1, name.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

bool HasSlash(std::string_view name) {
    return name.find('/') != std::string_view::npos;
}

enum class FileKind { Missing, Regular, Other };

FileKind KindOf(const std::string& name) {
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error || !std::filesystem::exists(status)) return FileKind::Missing;
    return std::filesystem::is_regular_file(status) ? FileKind::Regular : FileKind::Other;
}

// A file in the current folder is that file, as for a double click; without
// the "./" a name free of '/' would be looked up on PATH instead.
std::string ProgramPath(const std::string& fileName) {
    if (!HasSlash(fileName) && KindOf(fileName) == FileKind::Regular) return "./" + fileName;
    return fileName;
}

// xdg-open's exit statuses, as xdg-utils documents them.
enum OpenerExit : int {
    OpenerOpened = 0,
    OpenerSyntaxError = 1,
    OpenerFileMissing = 2,
    OpenerNoTool = 3,      // no program (and no browser) for it
    OpenerToolFailed = 4,  // the program it chose failed
    OpenerNoPermission = 5,
};

// A status someone else collected (none) tells nothing against the open.
int OpenerResult(std::optional<int> exitCode) {
    switch (exitCode.value_or(OpenerOpened)) {
        case OpenerOpened: return ExecuteSucceeded;
        case OpenerFileMissing: return ExecuteFileNotFound;
        case OpenerNoPermission: return ExecuteAccessDenied;
        case OpenerNoTool:
        case OpenerToolFailed:
        case OpenerSyntaxError:
        default: return ExecuteNoAssociation;  // a signal too
    }
}

// xdg-open takes a leading '-' for an option and knows no "--". One still
// running when the wait ends is let go: ChildProcess reaps it in the
// background.
int OpenWithDesktop(const std::string& target, std::chrono::milliseconds openerWait) {
    platform::ChildProcess opener({"xdg-open", target.starts_with('-') ? "./" + target : target});
    if (!opener.Started())
        return opener.SpawnError() == ENOMEM || opener.SpawnError() == EAGAIN ? ExecuteOutOfResources
                                                                               : ExecuteNoAssociation;
    if (opener.WaitFor(openerWait) == platform::ProcessState::Running) return ExecuteSucceeded;
    return OpenerResult(opener.ExitCode());
}

// A file the system refuses to execute (no execute bit, or not a program
// although it has one) is a document after all.
int StartOrOpen(const std::string& fileName, std::chrono::milliseconds openerWait) {
    const platform::ChildProcess program({ProgramPath(fileName)});
    if (program.Started()) return ExecuteSucceeded;
    const int error = program.SpawnError();
    if (error == EACCES || error == ENOEXEC) return OpenWithDesktop(fileName, openerWait);
    return FailureResult(error);
}

int StartFromPath(const std::string& fileName) {
    const platform::ChildProcess program({fileName});
    return program.Started() ? ExecuteSucceeded : FailureResult(program.SpawnError());
}

// The system sees a name only up to a NUL byte, which would be another name.
bool IsUsableName(const std::string& name) {
    return !name.empty() && name.find('\0') == std::string::npos;
}

int OpenFile(const std::string& fileName, std::chrono::milliseconds openerWait) {
    if (!IsUsableName(fileName)) return ExecuteFileNotFound;
    switch (KindOf(fileName)) {
        case FileKind::Regular:
            return StartOrOpen(fileName, openerWait);
        case FileKind::Other:
            return OpenWithDesktop(fileName, openerWait);
        case FileKind::Missing:
            break;
    }
    if (LooksLikeUrl(fileName)) return OpenWithDesktop(fileName, openerWait);
    if (!HasSlash(fileName)) return StartFromPath(fileName);
    return ExecuteFileNotFound;
}

int RunToEnd(const std::string& fileName) {
    if (!IsUsableName(fileName)) return 0;
    platform::ChildProcess program({ProgramPath(fileName)});
    if (!program.Started()) return 0;
    program.Wait();
    return 1;
}

void PollUntilEnded(platform::ChildProcess& child, const std::string& commandLine,
                    const RunProgress& progress) {
    const platform::Clock& clock = platform::SystemClock();
    const std::uint32_t start = clock.TickCount();
    const StartedProcess information{child.Pid(), child.Pid()};
    bool abort = false;
    for (;;) {
        const platform::ProcessState state = child.WaitFor(PollInterval);
        if (progress) progress(commandLine, clock.TickCount() - start, information, abort);
        if (abort) return;
        ProcessMessages();
        if (state == platform::ProcessState::Ended) return;
    }
}

void WaitAsAsked(platform::ChildProcess& child, const std::string& commandLine, const RunProgress& progress,
                 RunWait waitMode) {
    switch (waitMode) {
        case RunWait::Ended:
            child.Wait();
            return;
        case RunWait::Poll:
            PollUntilEnded(child, commandLine, progress);
            return;
        case RunWait::Immediately:
        case RunWait::InputIdle:
            return;
    }
}

}  // namespace

int ExecuteFile(const std::string& fileName, int /*showCmd*/, ExecuteWait wait, std::chrono::milliseconds openerWait) {
    return wait == ExecuteWait::UntilEnded ? RunToEnd(fileName) : OpenFile(fileName, openerWait);
}

bool RunProcess(const std::string& fileName, const std::string& params, int /*showCmd*/,
                const RunProgress& progress, RunWait waitMode) {
    const std::string commandLine = params.empty() ? fileName : fileName + ' ' + params;
    const auto argv = platform::SplitCommandLine(commandLine);
    if (!argv || argv->empty()) return false;
    platform::ChildProcess child(*argv);
    if (!child.Started()) return false;
    WaitAsAsked(child, commandLine, progress, waitMode);
    return true;
}

void SetMessagePump(std::function<void()> pump) {
    MessagePump() = std::move(pump);
}

}  // namespace kairos
