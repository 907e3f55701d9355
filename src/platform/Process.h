#pragma once
// Starting other programs and waiting for them to end.
//
// No child is ever left a zombie. A ChildProcess that goes away while its
// program still runs hands the process id to a background thread that waits
// for exactly that id. The program's SIGCHLD disposition is never touched and
// no one waits for "any child": Qt's QProcess and GLib collect their own
// children by id (or pidfd), and a SIGCHLD handler or a waitpid(-1) here
// would steal their exit statuses.
//
// On Windows a process holds no zombie state: the object ends when its last
// handle is closed, which ChildProcess does exactly once.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace kairos::platform {

struct SpawnOptions {
    // The folder the program starts in; empty for the caller's current one.
    std::string workingDirectory;
};

enum class ProcessState {
    Running,
    Ended,  // and reaped
};

// One started program, owned: its process id is released (the child reaped)
// exactly once, by Wait, by a WaitFor that sees it end, or by the destructor.
class ChildProcess {
public:
    // Starts argv[0], searched on PATH when it holds no '/', with argv as its
    // arguments and the caller's environment. The program gets descriptors
    // 0 to 2 only, no blocked signals and every signal at its default, so
    // that what the clock has set up for itself never leaks into it.
    // Check Started(): a program that cannot be executed is a failed start,
    // not a child that ends at once.
    // On Windows argv[0] is searched as CreateProcess searches a program
    // (the program's folder, the current one, the system folders, PATH,
    // ".exe" appended when it has no extension); the arguments are quoted
    // so that the program's C runtime hands them back unchanged, and the
    // program inherits no handles.
    explicit ChildProcess(const std::vector<std::string>& argv, const SpawnOptions& options = {});
    // Starts a whole command line as the system starts one: on Linux split
    // into words by SplitCommandLine (CommandLine.h), on Windows handed to
    // CreateProcess as it is, leaving the split to the started program the
    // way every Windows program expects. A line that does not split (an
    // open quote) fails with EINVAL, one without a word with ENOENT.
    static ChildProcess FromCommandLine(const std::string& commandLine, const SpawnOptions& options = {});
    ~ChildProcess();

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    // The errno value of a failed start (ENOENT, EACCES, ENOEXEC, ...); 0 once started.
    int SpawnError() const { return spawnError_; }
    // The id the program ran under; -1 when it did not start.
    int Pid() const { return pid_; }
    // The id of its first thread: on Linux the process id, on Windows the
    // main thread's own; -1 when it did not start.
    int MainThreadId() const { return threadId_; }

    // Waits at most that long for the program to end.
    ProcessState WaitFor(std::chrono::milliseconds timeout);
    // Waits without limit.
    void Wait();
    // Waits without limit until the program waits for user input. Windows
    // only: elsewhere (and for a Windows program without a window, or one
    // that has ended) it returns at once. Linux has no such state, and
    // waiting for a first window instead would hang for programs that never
    // show one.
    void WaitForInputIdle();
    // The exit status, or 128 plus the signal number that ended the program
    // (as a shell reports it); empty while it runs, and when someone else
    // collected the status first. On Windows the exit code as the program
    // gave it (a crash shows as its exception code, e.g. 0xC0000005).
    std::optional<int> ExitCode() const { return exitCode_; }

private:
    ChildProcess() = default;  // not started, for the factory to fill in
    bool TryReap(int waitOptions);
    void Release() noexcept;

    int pid_ = -1;
    int threadId_ = -1;
    // The process handle on Windows (a HANDLE); unused elsewhere.
    [[maybe_unused]] void* handle_ = nullptr;
    int spawnError_ = 0;
    bool ended_ = false;
    std::optional<int> exitCode_;
};

}  // namespace kairos::platform
