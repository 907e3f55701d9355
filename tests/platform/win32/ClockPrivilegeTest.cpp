// Switching on the right to set the clock, which sets nothing by itself; the
// setter that would use it is never called here.

#include "platform/win32/ClockPrivilege.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace kairos::platform {
namespace {

bool ClockPrivilegeIsOn() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
    const UniqueHandle token(opened);
    PRIVILEGE_SET wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Control = PRIVILEGE_SET_ALL_NECESSARY;
    if (!LookupPrivilegeValueW(nullptr, L"SeSystemtimePrivilege", &wanted.Privilege[0].Luid)) return false;
    BOOL held = FALSE;
    return PrivilegeCheck(token.Get(), &wanted, &held) && held;
}

TEST(ClockPrivilegeTest, IsOnExactlyWhenReportedEnabled) {
    const PrivilegeOutcome outcome = EnableClockPrivilege();
    ASSERT_NE(outcome, PrivilegeOutcome::Failed);
    EXPECT_EQ(ClockPrivilegeIsOn(), outcome == PrivilegeOutcome::Enabled);
}

}  // namespace
}  // namespace kairos::platform
