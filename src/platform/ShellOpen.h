#pragma once
// Opening a file, folder or URL the way a double click in the desktop's file
// manager would, and starting a file as a program. The system's own rules
// live here; which result number a caller sees is the caller's business.

#include <chrono>
#include <string>

#include "platform/Process.h"

namespace kairos::platform {

enum class OpenResult {
    Opened,          // opened, or still being opened when the wait ended
    FileNotFound,
    PathNotFound,    // a folder on the way to it is missing (Windows only)
    AccessDenied,
    OutOfMemory,     // Windows only; Linux reports OutOfResources
    OutOfResources,
    BadFormat,       // a program file the system cannot run (Windows only)
    SharingViolation,
    NoAssociation,   // nothing to open it with, or what was chosen failed
};

// Opens target, which names one thing as a whole (a file, a folder, a
// program or a "scheme:..." URL) and never carries arguments. Never shows a
// message of its own. showMode is the window state asked for (5 = normal).
// - Linux: an executable file, or a name without '/' found on PATH, is
//   started directly (and counts as opened once it runs); any other existing
//   file or folder, any URL and an executable the system cannot run (a
//   document with the execute bit, as on FAT drives) go to xdg-open. A name
//   that exists nowhere is FileNotFound without xdg-open ever seeing it, so
//   no desktop shows an error box of its own. xdg-open's exit status is
//   awaited for at most verdictWait: 0 or still running is Opened (some
//   desktops keep it running as long as the document is open), 2 is
//   FileNotFound, 5 AccessDenied, anything else (3: no program for it, 4:
//   the program failed) NoAssociation, as is no xdg-open at all. One still
//   running is reaped in the background when it ends. showMode is ignored:
//   neither X11 nor Wayland lets a starter choose another program's window
//   state.
// - Windows: ShellExecuteEx with the verb "open" and showMode; a program it
//   started is given at most verdictWait to become ready for input (as
//   Linux gives xdg-open), which does not change the result.
OpenResult OpenWithShell(const std::string& target, int showMode, std::chrono::milliseconds verdictWait);

// Starts the file itself as a program without arguments, as a double click
// on a program would. Linux: a name without '/' is a file of the current
// folder when one exists there (else it is searched on PATH). Windows: as
// CreateProcess finds a program.
ChildProcess StartProgramFile(const std::string& fileName);

}  // namespace kairos::platform
