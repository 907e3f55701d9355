#pragma once
// A lock named for the user's session: every program of the same user that
// asks for the same name meets the same lock, and the lock goes away with the
// process that holds it, however that process ends. On Linux it is a locked
// file, on Windows a named mutex in the session's namespace.

#include <cstdint>
#include <string>
#include <string_view>

namespace kairos::platform {

enum class LockOutcome {
    Acquired,       // this object holds the lock until it is destroyed
    HeldElsewhere,  // another holder has it
    Unavailable,    // no lock could be taken for another reason
};

class InstanceLock {
public:
    explicit InstanceLock(std::string_view name);
    ~InstanceLock();

    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    LockOutcome Outcome() const { return outcome_; }

private:
    void Release() noexcept;

    // The lock file's descriptor, or the mutex's handle on Windows; -1
    // whenever the lock is not held.
    std::intptr_t held_ = -1;
    LockOutcome outcome_ = LockOutcome::Unavailable;
};

// The file that stands for the lock of that name; empty when no folder for it
// is usable. Every name maps to its own file, whatever characters it holds.
// On Windows the name of the mutex, which is the name itself.
std::string InstanceLockPath(std::string_view name);

}  // namespace kairos::platform
