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
inline constexpr int ExecuteAccessDenied = 5;
inline constexpr int ExecuteNoAssociation = 31;  // nothing to open it with

// The show mode every caller opens with: a normal window.
inline constexpr int kShowNormally = 5;

// How long ExecuteFile waits for xdg-open's verdict. xdg-open says within a
// moment whether the desktop knows the file; one still running after this
// is showing it (some desktops keep it running as long as the document is
// open) and counts as opened.
inline constexpr std::chrono::milliseconds kOpenerWait{1000};

enum class ExecuteWait {
    NoWait,      // open it the way a double click would
    UntilEnded,  // start the file itself as a program and wait for its end
};

// The whole of fileName names one thing: a file, a folder, a program or a
// URL ("scheme:..."); it never carries arguments.
// - NoWait: an executable file, or a name without '/' found on PATH, is
//   started directly; any other existing file or folder and any URL go to
//   xdg-open, as does an executable the system cannot run (a document with
//   the execute bit, as on FAT drives). A name that exists nowhere is
//   ExecuteFileNotFound without xdg-open ever seeing it, so no desktop shows
//   an error box of its own. A program started directly is opened once it
//   runs. For xdg-open the call waits at most openerWait for its exit status:
//   0 or still running is opened; 3 (no program for it) and 4 (the program
//   failed) are ExecuteNoAssociation, 2 (a file missing) ExecuteFileNotFound,
//   5 (no permission) ExecuteAccessDenied, anything else ExecuteNoAssociation.
//   No xdg-open on PATH is ExecuteNoAssociation too. An xdg-open still
//   running is reaped in the background when it ends.
// - UntilEnded: 1 when the program started and has ended, 0 when it could
//   not be started.
// showCmd (the window state asked for) is accepted and ignored: neither X11
// nor Wayland lets a starter choose the state of another program's window.
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
    // Linux has no state of "waiting for user input"; a started program
    // counts as ready, so this returns at once too. Waiting for a first
    // window instead would hang the caller for programs that never show one.
    InputIdle = 1,
    Ended = 2,  // no time limit
    // Waits a second at a time, calling progress after each second and
    // once after the end, and runs the message pump in between.
    Poll = 3,
};

// Starts the command line fileName, or fileName, a blank and params, split
// into words as a shell would (see platform::SplitCommandLine; no
// expansions, no shell started), with the first word searched on PATH.
// True when the program started, whatever its exit status; false when the
// line does not split (an open quote), is empty, or names nothing that runs.
// showCmd is accepted and ignored, as for ExecuteFile. A program still
// running when the call returns is reaped in the background when it ends.
bool RunProcess(const std::string& fileName, const std::string& params, int showCmd,
                const RunProgress& progress, RunWait waitMode);

// Lets the user interface handle its pending events; RunWait::Poll calls it
// between its waits so that the clock keeps ticking. Set once at start-up by
// the user interface; none by default.
void SetMessagePump(std::function<void()> pump);

}  // namespace kairos
