// Children are started with CreateProcessW. A Windows process leaves no
// zombie: the ChildProcess holds the process handle (the thread handle is
// closed at once) and closes it exactly once, when the program is seen to
// end or when the ChildProcess goes.

#include "platform/Process.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/win32/ArgumentQuoting.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace kairos::platform {
namespace {

struct CreatedProcess {
    UniqueHandle process;
    DWORD processId = 0;
    DWORD threadId = 0;
};

bool HoldsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// CreateProcessW may write into the command line, so it gets a copy of its
// own. The new program gets this program's startup information and error
// mode defaults, and no handle of ours.
int Create(const std::string& commandLine, const SpawnOptions& options, CreatedProcess& started) {
    if (HoldsNul(commandLine) || HoldsNul(options.workingDirectory)) return EINVAL;
    std::wstring line = Widen(commandLine);
    const std::wstring folder = Widen(options.workingDirectory);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    PROCESS_INFORMATION information{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_DEFAULT_ERROR_MODE, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &information))
        return LastErrno();
    const UniqueHandle thread(information.hThread);
    started.process = UniqueHandle(information.hProcess);
    started.processId = information.dwProcessId;
    started.threadId = information.dwThreadId;
    return 0;
}

// TryReap's argument here: the wait saw the process end.
constexpr int Signalled = 1;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const SpawnOptions& options) {
    if (argv.empty() || argv.front().empty()) {
        spawnError_ = ENOENT;
        return;
    }
    const std::optional<std::string> line = QuoteCommandLine(argv);
    if (!line) {
        spawnError_ = EINVAL;
        return;
    }
    *this = FromCommandLine(*line, options);
}

ChildProcess ChildProcess::FromCommandLine(const std::string& commandLine, const SpawnOptions& options) {
    ChildProcess child;
    if (std::all_of(commandLine.begin(), commandLine.end(), IsBlank)) {
        child.spawnError_ = ENOENT;
        return child;
    }
    CreatedProcess started;
    child.spawnError_ = Create(commandLine, options, started);
    if (child.spawnError_ != 0) return child;
    child.handle_ = started.process.Release();
    child.pid_ = static_cast<int>(started.processId);
    child.threadId_ = static_cast<int>(started.threadId);
    return child;
}

ChildProcess::~ChildProcess() {
    Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      threadId_(std::exchange(other.threadId_, -1)),
      handle_(std::exchange(other.handle_, nullptr)),
      spawnError_(other.spawnError_),
      ended_(std::exchange(other.ended_, false)),
      exitCode_(std::exchange(other.exitCode_, std::nullopt)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Release();
        pid_ = std::exchange(other.pid_, -1);
        threadId_ = std::exchange(other.threadId_, -1);
        handle_ = std::exchange(other.handle_, nullptr);
        spawnError_ = other.spawnError_;
        ended_ = std::exchange(other.ended_, false);
        exitCode_ = std::exchange(other.exitCode_, std::nullopt);
    }
    return *this;
}

// WaitForSingleObject takes whole milliseconds below INFINITE.
ProcessState ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (!Started() || ended_) return ProcessState::Ended;
    const auto limit = std::clamp<std::chrono::milliseconds::rep>(timeout.count(), 0, INFINITE - 1);
    const DWORD result = WaitForSingleObject(handle_, static_cast<DWORD>(limit));
    if (result == WAIT_TIMEOUT) return ProcessState::Running;
    TryReap(result == WAIT_OBJECT_0 ? Signalled : 0);
    return ProcessState::Ended;
}

void ChildProcess::Wait() {
    if (!Started() || ended_) return;
    TryReap(WaitForSingleObject(handle_, INFINITE) == WAIT_OBJECT_0 ? Signalled : 0);
}

// WaitForInputIdle fails at once for a program without a message queue
// (a console program) and returns once it has ended.
void ChildProcess::WaitForInputIdle() {
    if (!Started() || ended_) return;
    ::WaitForInputIdle(handle_, INFINITE);
}

// Called once the wait on the process object has ended: the exit code is
// taken when the object was signalled (a failed wait, which only a broken
// handle gives, leaves none) and the handle closed.
bool ChildProcess::TryReap(int waitOutcome) {
    DWORD code = 0;
    if (waitOutcome == Signalled && GetExitCodeProcess(handle_, &code)) exitCode_ = static_cast<int>(code);
    ended_ = true;
    UniqueHandle(std::exchange(handle_, nullptr));
    return true;
}

void ChildProcess::Release() noexcept {
    UniqueHandle(std::exchange(handle_, nullptr));
    ended_ = true;
}

}  // namespace kairos::platform
