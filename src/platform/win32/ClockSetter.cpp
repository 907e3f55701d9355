#include "platform/ClockSetter.h"

#include <windows.h>

#include "platform/win32/ClockPrivilege.h"
#include "platform/win32/SystemTime.h"

namespace kairos::platform {
namespace {

// Set in UTC, so that the hour an autumn night has twice is no question.
class Win32ClockSetter final : public ClockSetter {
public:
    ClockSetResult SetUtc(UtcTime instant) override {
        switch (EnableClockPrivilege()) {
            case PrivilegeOutcome::Enabled: break;
            case PrivilegeOutcome::Missing: return ClockSetResult::NoPermission;
            case PrivilegeOutcome::Failed: return ClockSetResult::Failed;
        }
        const SYSTEMTIME utc = ToSystemTime(instant, SubMillisecond::Round);
        if (SetSystemTime(&utc)) return ClockSetResult::Set;
        const DWORD error = GetLastError();
        return error == ERROR_PRIVILEGE_NOT_HELD || error == ERROR_ACCESS_DENIED ? ClockSetResult::NoPermission
                                                                                  : ClockSetResult::Failed;
    }
};

}  // namespace

ClockSetter& SystemClockSetter() {
    static Win32ClockSetter setter;
    return setter;
}

}  // namespace kairos::platform
