#pragma once
// Opening files and starting programs: an alarm's command, a link label's
// address, the desktop's date and time settings. Neither operation shows a
// message of its own; a failure is only in the result.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace kairos {

// Results of ExecuteFile without a wait, in the ranges the callers test:
// above 32 the file was opened (or is still being opened), 32 or less it
// was not.
inline constexpr int ExecuteSucceeded = 42;
inline constexpr int ExecuteOutOfResources = 0;
inline constexpr int ExecuteFileNotFound = 2;
inline constexpr int ExecutePathNotFound = 3;
inline constexpr int ExecuteAccessDenied = 5;
inline constexpr int ExecuteOutOfMemory = 8;
inline constexpr int ExecuteBadFormat = 11;
inline constexpr int ExecuteSharingViolation = 26;
inline constexpr int ExecuteNoAssociation = 31;  // nothing to open it with

// The show mode every caller opens with: a normal window.
inline constexpr int kShowNormally = 5;

// How long ExecuteFile waits for the system's verdict (see
// platform::OpenWithShell): on Linux xdg-open says within a moment whether
// the desktop knows the file; one still running after this is showing it.
inline constexpr std::chrono::milliseconds kOpenerWait{1000};

enum class ExecuteWait {
    NoWait,      // open it the way a double click would
    UntilEnded,  // start the file itself as a program and wait for its end
};

// The whole of fileName names one thing: a file, a folder, a program or a
// URL ("scheme:..."); it never carries arguments.
// - NoWait: opened by platform::OpenWithShell (its comment tells each
//   system's rules), with showCmd and openerWait; the result is one of the
//   numbers above. An empty name, or one holding a NUL byte, is
//   ExecuteFileNotFound.
// - UntilEnded: 1 when the program started (platform::StartProgramFile) and
//   has ended, 0 when it could not be started.
int ExecuteFile(const std::string& fileName, int showCmd, ExecuteWait wait = ExecuteWait::NoWait,
                std::chrono::milliseconds openerWait = kOpenerWait);

// The process RunProcess started. On Linux the main thread's id is the
// process id.
struct StartedProcess {
    int ProcessId = 0;
    int ThreadId = 0;
};

// Called while RunProcess polls: the command line, milliseconds since the
// start by the system tick counter, the process, and a flag (false on the
// first call) that the callee sets to stop waiting.
using RunProgress = std::function<void(const std::string& commandLine, std::uint32_t elapsed,
                                       const StartedProcess& processInformation, bool& abort)>;

// What RunProcess waits for once the program runs. A value outside the
// four (from a cast) returns at once, like Immediately.
enum class RunWait : int {
    Immediately = 0,
    // Windows: until the program waits for user input, without limit
    // (WaitForInputIdle). Linux has no such state; a started program counts
    // as ready, so this returns at once there. Waiting for a first window
    // instead would hang the caller for programs that never show one.
    InputIdle = 1,
    Ended = 2,  // no time limit
    // Waits a second at a time, calling progress after each second and
    // once after the end, and runs the message pump in between.
    Poll = 3,
};

// Starts the command line fileName, or fileName, a blank and params. Linux
// splits it into words as a shell would (see platform::SplitCommandLine; no
// expansions, no shell started), with the first word searched on PATH;
// Windows hands it to CreateProcess as it is.
// True when the program started, whatever its exit status; false when the
// line does not split (an open quote), is empty, or names nothing that runs.
// showCmd is accepted and ignored: the program starts with this program's
// own startup information. A program still running when the call returns is
// reaped in the background when it ends.
bool RunProcess(const std::string& fileName, const std::string& params, int showCmd,
                const RunProgress& progress, RunWait waitMode);

// Lets the user interface handle its pending events; RunWait::Poll calls it
// between its waits so that the clock keeps ticking. Set once at start-up by
// the user interface; none by default.
void SetMessagePump(std::function<void()> pump);

}  // namespace kairos
