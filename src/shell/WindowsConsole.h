#pragma once
// Output of the commands that need no window (--query, --help, --version) on
// Windows. kairos.exe is a window program, so Windows gives it no console:
// started from a command prompt it borrows the prompt's, and speaks UTF-8
// to it. Output sent to a file or a pipe goes there as it is.

namespace kairos {

void UseParentConsole();

}  // namespace kairos
