#include "platform/win32/ClockPrivilege.h"

#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace kairos::platform {

PrivilegeOutcome EnableClockPrivilege() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened))
        return PrivilegeOutcome::Failed;
    const UniqueHandle token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // SE_SYSTEMTIME_NAME, whose header spelling follows UNICODE.
    if (!LookupPrivilegeValueW(nullptr, L"SeSystemtimePrivilege", &privileges.Privileges[0].Luid))
        return PrivilegeOutcome::Failed;
    if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr)) return PrivilegeOutcome::Failed;
    // The call succeeds even when the user holds no such privilege; only the
    // last error tells.
    return GetLastError() == ERROR_NOT_ALL_ASSIGNED ? PrivilegeOutcome::Missing : PrivilegeOutcome::Enabled;
}

}  // namespace kairos::platform
