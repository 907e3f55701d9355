#pragma once
// The single-instance guard: one copy of the clock per user session. The lock
// is named after the program file's title, so copies started from files of
// different names do not see each other.

#include <string>
#include <string_view>

#include "platform/InstanceLock.h"

namespace kairos {

// The title as the program would take it from its file: no folder, cut at the
// first ".", every ASCII letter after the first character in lower case
// ("/opt/KAIROS.EXE", and on Windows "C:\Tools\KAIROS.EXE", give "Kairos").
std::string InstanceTitleFromProgramPath(std::string_view path);

// "Aoba <title> MutexObject" without backslashes, at most 260 bytes, never
// ending inside a character.
std::string BuildInstanceMutexName(std::string_view title);

class SingleInstanceGuard {
public:
    // Takes the lock at once; it is held until the guard is destroyed.
    explicit SingleInstanceGuard(std::string_view programPath);

    const std::string& InstanceMutexName() const { return instanceMutexName_; }
    // True only when another copy holds the lock. A lock that cannot be had
    // for any other reason lets the program run as the first copy.
    bool AlreadyRunning() const;

private:
    std::string instanceMutexName_;
    platform::InstanceLock instanceMutex_;
};

}  // namespace kairos
