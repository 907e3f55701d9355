// The desktop opens what is no program through xdg-open; programs are
// started directly, so that a double click's meaning does not depend on
// whether the desktop's opener knows executables.

#include "platform/ShellOpen.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

namespace kairos::platform {
namespace {

OpenResult FailureResult(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return OpenResult::FileNotFound;
        case EACCES:
        case EPERM:
            return OpenResult::AccessDenied;
        case ENOMEM:
        case EAGAIN:
            return OpenResult::OutOfResources;
        default:
            return OpenResult::NoAssociation;
    }
}

// "scheme:" as URLs begin. Checked only for names that are no existing file,
// so a file called "notes:today" still opens as a file.
bool LooksLikeUrl(std::string_view name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(name[0]))) return false;
    return std::all_of(name.begin() + 1, name.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

bool HasSlash(std::string_view name) {
    return name.find('/') != std::string_view::npos;
}

enum class FileKind { Missing, Regular, Other };

FileKind KindOf(const std::string& name) {
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (error || !std::filesystem::exists(status)) return FileKind::Missing;
    return std::filesystem::is_regular_file(status) ? FileKind::Regular : FileKind::Other;
}

// A file in the current folder is that file, as for a double click; without
// the "./" a name free of '/' would be looked up on PATH instead.
std::string ProgramPath(const std::string& fileName) {
    if (!HasSlash(fileName) && KindOf(fileName) == FileKind::Regular) return "./" + fileName;
    return fileName;
}

// xdg-open's exit statuses, as xdg-utils documents them.
enum OpenerExit : int {
    OpenerOpened = 0,
    OpenerSyntaxError = 1,
    OpenerFileMissing = 2,
    OpenerNoTool = 3,      // no program (and no browser) for it
    OpenerToolFailed = 4,  // the program it chose failed
    OpenerNoPermission = 5,
};

// A status someone else collected (none) tells nothing against the open.
OpenResult OpenerResult(std::optional<int> exitCode) {
    switch (exitCode.value_or(OpenerOpened)) {
        case OpenerOpened: return OpenResult::Opened;
        case OpenerFileMissing: return OpenResult::FileNotFound;
        case OpenerNoPermission: return OpenResult::AccessDenied;
        case OpenerNoTool:
        case OpenerToolFailed:
        case OpenerSyntaxError:
        default: return OpenResult::NoAssociation;  // a signal too
    }
}

// xdg-open takes a leading '-' for an option and knows no "--". One still
// running when the wait ends is let go: ChildProcess reaps it in the
// background.
OpenResult OpenWithDesktop(const std::string& target, std::chrono::milliseconds verdictWait) {
    ChildProcess opener({"xdg-open", target.starts_with('-') ? "./" + target : target});
    if (!opener.Started())
        return opener.SpawnError() == ENOMEM || opener.SpawnError() == EAGAIN ? OpenResult::OutOfResources
                                                                               : OpenResult::NoAssociation;
    if (opener.WaitFor(verdictWait) == ProcessState::Running) return OpenResult::Opened;
    return OpenerResult(opener.ExitCode());
}

// A file the system refuses to execute (no execute bit, or not a program
// although it has one) is a document after all.
OpenResult StartOrOpen(const std::string& fileName, std::chrono::milliseconds verdictWait) {
    const ChildProcess program = StartProgramFile(fileName);
    if (program.Started()) return OpenResult::Opened;
    const int error = program.SpawnError();
    if (error == EACCES || error == ENOEXEC) return OpenWithDesktop(fileName, verdictWait);
    return FailureResult(error);
}

OpenResult StartFromPath(const std::string& fileName) {
    const ChildProcess program({fileName});
    return program.Started() ? OpenResult::Opened : FailureResult(program.SpawnError());
}

}  // namespace

OpenResult OpenWithShell(const std::string& target, int /*showMode*/, std::chrono::milliseconds verdictWait) {
    switch (KindOf(target)) {
        case FileKind::Regular:
            return StartOrOpen(target, verdictWait);
        case FileKind::Other:
            return OpenWithDesktop(target, verdictWait);
        case FileKind::Missing:
            break;
    }
    if (LooksLikeUrl(target)) return OpenWithDesktop(target, verdictWait);
    if (!HasSlash(target)) return StartFromPath(target);
    return OpenResult::FileNotFound;
}

ChildProcess StartProgramFile(const std::string& fileName) {
    return ChildProcess({ProgramPath(fileName)});
}

}  // namespace kairos::platform
