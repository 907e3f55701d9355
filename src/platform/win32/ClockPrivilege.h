#pragma once
// The right to set the clock, which a process holds only when its user has it
// (administrators do) and which even then must be switched on before use.

namespace kairos::platform {

enum class PrivilegeOutcome {
    Enabled,
    Missing,  // the user does not hold it
    Failed,   // the token could not be read or changed
};

// Switches SE_SYSTEMTIME_NAME on for the process. Harmless on its own: it
// sets nothing.
PrivilegeOutcome EnableClockPrivilege();

}  // namespace kairos::platform
