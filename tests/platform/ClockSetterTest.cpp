// The real clock setter, reached only in a forked child that has given up
// CAP_SYS_TIME and can reach no system bus: it must refuse. The test process
// itself never calls it.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Clock.h"
#include "platform/ClockSetter.h"

namespace kairos {
namespace {

enum ChildOutcome : int { Refused = 0, Accepted = 1, StillPrivileged = 2, RefusedForAnotherReason = 3 };

struct Capabilities {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
};

constexpr unsigned TimeWord = CAP_SYS_TIME / 32;
constexpr unsigned TimeBit = 1U << (CAP_SYS_TIME % 32);

bool DropClockCapability() {
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_LOWER, CAP_SYS_TIME, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_SYS_TIME, 0, 0, 0);  // fails harmlessly without CAP_SETPCAP
    Capabilities caps;
    if (syscall(SYS_capget, &caps.header, caps.data) != 0) return false;
    caps.data[TimeWord].effective &= ~TimeBit;
    caps.data[TimeWord].permitted &= ~TimeBit;
    caps.data[TimeWord].inheritable &= ~TimeBit;
    if (syscall(SYS_capset, &caps.header, caps.data) != 0) return false;
    Capabilities after;
    if (syscall(SYS_capget, &after.header, after.data) != 0) return false;
    return (after.data[TimeWord].effective & TimeBit) == 0 && (after.data[TimeWord].permitted & TimeBit) == 0;
}

// Asks for the instant it already is: even a setter that wrongly succeeded
// would leave the clock where it was. Without the right and without a bus to
// ask anyone, the refusal is for want of permission.
[[noreturn]] void RunSetterWithoutPrivilege() {
    if (!DropClockCapability()) _exit(StillPrivileged);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/kairos-test/system_bus_socket", 1);
    switch (platform::SystemClockSetter().SetUtc(platform::UtcNow())) {
        case platform::ClockSetResult::Set: _exit(Accepted);
        case platform::ClockSetResult::NoPermission: _exit(Refused);
        default: _exit(RefusedForAnotherReason);
    }
}

TEST(ClockSetterTest, RefusesWithoutTheRightToSetTheClock) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) RunSetterWithoutPrivilege();
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), Refused);
}

}  // namespace
}  // namespace kairos
