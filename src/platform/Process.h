#pragma once
// Starting other programs and waiting for them to end.
//
// No child is ever left a zombie. A ChildProcess that goes away while its
// program still runs hands the process id to a background thread that waits
// for exactly that id. The program's SIGCHLD disposition is never touched and
// no one waits for "any child": Qt's QProcess and GLib collect their own
// children by id (or pidfd), and a SIGCHLD handler or a waitpid(-1) here
// would steal their exit statuses.

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
    explicit ChildProcess(const std::vector<std::string>& argv, const SpawnOptions& options = {});
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

    // Waits at most that long for the program to end.
    ProcessState WaitFor(std::chrono::milliseconds timeout);
    // Waits without limit.
    void Wait();
    // The exit status, or 128 plus the signal number that ended the program
    // (as a shell reports it); empty while it runs, and when someone else
    // collected the status first.
    std::optional<int> ExitCode() const { return exitCode_; }

private:
    bool TryReap(int waitOptions);
    void Release() noexcept;

    int pid_ = -1;
    int spawnError_ = 0;
    bool ended_ = false;
    std::optional<int> exitCode_;
};

}  // namespace kairos::platform
