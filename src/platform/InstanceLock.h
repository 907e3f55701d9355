#pragma once
// A lock named for the user's session: every program of the same user that
// asks for the same name meets the same lock, and the lock goes away with the
// process that holds it, however that process ends.

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

    int descriptor_ = -1;  // open only while the lock is held
    LockOutcome outcome_ = LockOutcome::Unavailable;
};

// The file that stands for the lock of that name; empty when no folder for it
// is usable. Every name maps to its own file, whatever characters it holds.
std::string InstanceLockPath(std::string_view name);

}  // namespace kairos::platform
