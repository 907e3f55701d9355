// Children are started with posix_spawnp: glibc creates them with
// CLONE_VFORK, which is safe in a program with many threads (fork would copy
// locks held by Qt's threads) and reports a failed exec as the call's own
// error instead of as a child that exits with 127.
//
// Waits with a time-out poll waitpid(WNOHANG) with a growing pause of at most
// 32 ms. A pidfd would wake at once, but it is missing on older kernels and
// in some sandboxes, and the callers that wait with a time-out (the
// launcher's wait for xdg-open's verdict, its progress once a second) can
// spare those 32 ms.

#include "platform/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/CommandLine.h"

extern char** environ;

namespace kairos::platform {
namespace {

constexpr auto FirstPause = std::chrono::milliseconds(1);
constexpr auto LongestPause = std::chrono::milliseconds(32);

// Descriptors from 3 up are closed in the child: the clock's files, sockets
// and lock would otherwise live on in every program it starts, whether or
// not whoever opened them remembered O_CLOEXEC.
constexpr int FirstClosedDescriptor = 3;

class SpawnFileActions {
public:
    SpawnFileActions() { initError_ = posix_spawn_file_actions_init(&actions_); }
    ~SpawnFileActions() {
        if (initError_ == 0) posix_spawn_file_actions_destroy(&actions_);
    }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    int Prepare(const SpawnOptions& options) {
        if (initError_ != 0) return initError_;
        if (!options.workingDirectory.empty()) {
            if (int error = posix_spawn_file_actions_addchdir_np(&actions_, options.workingDirectory.c_str()))
                return error;
        }
        return posix_spawn_file_actions_addclosefrom_np(&actions_, FirstClosedDescriptor);
    }
    const posix_spawn_file_actions_t* Get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
    int initError_ = 0;
};

class SpawnAttributes {
public:
    SpawnAttributes() { initError_ = posix_spawnattr_init(&attributes_); }
    ~SpawnAttributes() {
        if (initError_ == 0) posix_spawnattr_destroy(&attributes_);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    // The mask is the calling thread's and ignored signals stay ignored
    // across exec; a program started with SIGPIPE ignored or SIGTERM blocked
    // would behave unlike the same program started from a desktop.
    int Prepare() {
        if (initError_ != 0) return initError_;
        sigset_t none;
        sigset_t all;
        sigemptyset(&none);
        sigfillset(&all);
        if (int error = posix_spawnattr_setsigmask(&attributes_, &none)) return error;
        if (int error = posix_spawnattr_setsigdefault(&attributes_, &all)) return error;
        return posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    const posix_spawnattr_t* Get() const { return &attributes_; }

private:
    posix_spawnattr_t attributes_{};
    int initError_ = 0;
};

// posix_spawnp takes char* const[] for historical reasons and does not write
// through the pointers.
std::vector<char*> ArgumentPointers(const std::vector<std::string>& argv) {
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (const std::string& argument : argv) pointers.push_back(const_cast<char*>(argument.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

// A NUL byte would silently cut an argument short, and a cut file name may
// name another file.
bool HoldsNul(const std::vector<std::string>& argv) {
    return std::any_of(argv.begin(), argv.end(),
                       [](const std::string& argument) { return argument.find('\0') != std::string::npos; });
}

int Spawn(const std::vector<std::string>& argv, const SpawnOptions& options, pid_t& pid) {
    if (argv.empty() || argv.front().empty()) return ENOENT;
    if (HoldsNul(argv) || options.workingDirectory.find('\0') != std::string::npos) return EINVAL;
    SpawnFileActions actions;
    if (int error = actions.Prepare(options)) return error;
    SpawnAttributes attributes;
    if (int error = attributes.Prepare()) return error;
    const std::vector<char*> pointers = ArgumentPointers(argv);
    return posix_spawnp(&pid, pointers[0], actions.Get(), attributes.Get(), pointers.data(), environ);
}

int DecodeStatus(int status) {
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

// Children whose waiter thread could not be started (threads exhausted);
// each later start tries them again.
std::mutex& StragglerLock() {
    static std::mutex lock;
    return lock;
}
std::vector<pid_t>& Stragglers() {
    static std::vector<pid_t> pids;
    return pids;
}

void KeepForLater(pid_t pid) noexcept {
    try {
        const std::lock_guard guard(StragglerLock());
        Stragglers().push_back(pid);
    } catch (...) {
        // Out of memory as well: this one stays a zombie until the clock ends.
    }
}

void ReapStragglers() {
    const std::lock_guard guard(StragglerLock());
    std::erase_if(Stragglers(), [](pid_t pid) {
        pid_t result = -1;
        do {
            result = waitpid(pid, nullptr, WNOHANG);
        } while (result < 0 && errno == EINTR);
        return result != 0;
    });
}

void WaitUntilGone(pid_t pid) noexcept {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// A thread blocked in waitpid costs no CPU while the program runs and reaps
// it the moment it ends; a periodic sweep would wake the clock for nothing.
void ReapInBackground(pid_t pid) noexcept {
    try {
        std::thread(WaitUntilGone, pid).detach();
    } catch (...) {
        KeepForLater(pid);
    }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const SpawnOptions& options) {
    ReapStragglers();
    pid_t pid = -1;
    spawnError_ = Spawn(argv, options, pid);
    if (spawnError_ == 0) pid_ = threadId_ = pid;
}

ChildProcess ChildProcess::FromCommandLine(const std::string& commandLine, const SpawnOptions& options) {
    if (const auto argv = SplitCommandLine(commandLine)) return ChildProcess(*argv, options);
    ChildProcess failed;
    failed.spawnError_ = EINVAL;
    return failed;
}

ChildProcess::~ChildProcess() {
    Release();
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      threadId_(std::exchange(other.threadId_, -1)),
      spawnError_(other.spawnError_),
      ended_(std::exchange(other.ended_, false)),
      exitCode_(std::exchange(other.exitCode_, std::nullopt)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Release();
        pid_ = std::exchange(other.pid_, -1);
        threadId_ = std::exchange(other.threadId_, -1);
        spawnError_ = other.spawnError_;
        ended_ = std::exchange(other.ended_, false);
        exitCode_ = std::exchange(other.exitCode_, std::nullopt);
    }
    return *this;
}

ProcessState ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    if (!Started() || ended_) return ProcessState::Ended;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    auto pause = std::chrono::duration_cast<std::chrono::steady_clock::duration>(FirstPause);
    while (!TryReap(WNOHANG)) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return ProcessState::Running;
        std::this_thread::sleep_for(std::min(pause, deadline - now));
        pause = std::min<std::chrono::steady_clock::duration>(pause * 2, LongestPause);
    }
    return ProcessState::Ended;
}

void ChildProcess::Wait() {
    if (!Started() || ended_) return;
    TryReap(0);
}

void ChildProcess::WaitForInputIdle() {}

// True once the child is gone. A status someone else collected (a stray
// waitpid(-1), SIGCHLD set to SIG_IGN) shows as ECHILD; the child is gone
// then too, and waiting on would never end.
bool ChildProcess::TryReap(int waitOptions) {
    int status = 0;
    pid_t result = -1;
    do {
        result = waitpid(pid_, &status, waitOptions);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    if (result == pid_) exitCode_ = DecodeStatus(status);
    ended_ = true;
    return true;
}

void ChildProcess::Release() noexcept {
    if (!Started() || ended_) return;
    if (!TryReap(WNOHANG)) ReapInBackground(pid_);
    ended_ = true;
}

}  // namespace kairos::platform
