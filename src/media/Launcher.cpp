#include "media/Launcher.h"

#include <chrono>
#include <utility>

#include "platform/Clock.h"
#include "platform/Process.h"
#include "platform/ShellOpen.h"

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

// The numbers ShellExecute gives on Windows, for every system.
int ResultNumber(platform::OpenResult result) {
    switch (result) {
        case platform::OpenResult::Opened: return ExecuteSucceeded;
        case platform::OpenResult::FileNotFound: return ExecuteFileNotFound;
        case platform::OpenResult::PathNotFound: return ExecutePathNotFound;
        case platform::OpenResult::AccessDenied: return ExecuteAccessDenied;
        case platform::OpenResult::OutOfMemory: return ExecuteOutOfMemory;
        case platform::OpenResult::OutOfResources: return ExecuteOutOfResources;
        case platform::OpenResult::BadFormat: return ExecuteBadFormat;
        case platform::OpenResult::SharingViolation: return ExecuteSharingViolation;
        case platform::OpenResult::NoAssociation: break;
    }
    return ExecuteNoAssociation;
}

// The system sees a name only up to a NUL byte, which would be another name.
bool IsUsableName(const std::string& name) {
    return !name.empty() && name.find('\0') == std::string::npos;
}

int OpenFile(const std::string& fileName, int showCmd, std::chrono::milliseconds openerWait) {
    if (!IsUsableName(fileName)) return ExecuteFileNotFound;
    return ResultNumber(platform::OpenWithShell(fileName, showCmd, openerWait));
}

int RunToEnd(const std::string& fileName) {
    if (!IsUsableName(fileName)) return 0;
    platform::ChildProcess program = platform::StartProgramFile(fileName);
    if (!program.Started()) return 0;
    program.Wait();
    return 1;
}

void PollUntilEnded(platform::ChildProcess& child, const std::string& commandLine,
                    const RunProgress& progress) {
    const platform::Clock& clock = platform::SystemClock();
    const std::uint32_t start = clock.TickCount();
    const StartedProcess information{child.Pid(), child.MainThreadId()};
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
        case RunWait::InputIdle:
            child.WaitForInputIdle();
            return;
        case RunWait::Immediately:
            return;
    }
}

}  // namespace

int ExecuteFile(const std::string& fileName, int showCmd, ExecuteWait wait, std::chrono::milliseconds openerWait) {
    return wait == ExecuteWait::UntilEnded ? RunToEnd(fileName) : OpenFile(fileName, showCmd, openerWait);
}

bool RunProcess(const std::string& fileName, const std::string& params, int /*showCmd*/,
                const RunProgress& progress, RunWait waitMode) {
    const std::string commandLine = params.empty() ? fileName : fileName + ' ' + params;
    platform::ChildProcess child = platform::ChildProcess::FromCommandLine(commandLine);
    if (!child.Started()) return false;
    WaitAsAsked(child, commandLine, progress, waitMode);
    return true;
}

void SetMessagePump(std::function<void()> pump) {
    MessagePump() = std::move(pump);
}

}  // namespace kairos
