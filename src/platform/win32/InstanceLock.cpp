// The session lock is a named mutex. Its existence alone is the signal: the
// first copy creates it and nobody ever owns it; the kernel removes it when
// the last handle closes, which includes the holder being killed. A name
// without a "Global\" or "Local\" prefix lives in the session's own
// namespace, so the copies of another user, logged on at the same time, do
// not count, and any program that creates a mutex of that name meets it.

#include "platform/InstanceLock.h"

#include <windows.h>

#include <cstdint>
#include <utility>

#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// ERROR_ACCESS_DENIED, too, means that the mutex exists: a copy running
// elevated made it with an access list that lets the same user, unelevated,
// not open it. That copy runs, so this one must not.
LockOutcome OutcomeOf(HANDLE mutex, DWORD error) {
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED) return LockOutcome::HeldElsewhere;
    return mutex != nullptr ? LockOutcome::Acquired : LockOutcome::Unavailable;
}

}  // namespace

std::string InstanceLockPath(std::string_view name) {
    return std::string(name);
}

InstanceLock::InstanceLock(std::string_view name) {
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    const DWORD error = GetLastError();
    outcome_ = OutcomeOf(mutex, error);
    if (mutex == nullptr) return;
    // Only the first copy keeps its handle: the mutex then stands for exactly
    // that copy, and goes away with it.
    if (outcome_ == LockOutcome::Acquired) held_ = reinterpret_cast<std::intptr_t>(mutex);
    else CloseHandle(mutex);
}

InstanceLock::~InstanceLock() {
    Release();
}

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : held_(std::exchange(other.held_, -1)),
      outcome_(std::exchange(other.outcome_, LockOutcome::Unavailable)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        held_ = std::exchange(other.held_, -1);
        outcome_ = std::exchange(other.outcome_, LockOutcome::Unavailable);
    }
    return *this;
}

void InstanceLock::Release() noexcept {
    if (held_ == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(std::exchange(held_, -1)));
}

}  // namespace kairos::platform
