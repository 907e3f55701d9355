// The shell decides what opening means (a program, a document's
// association, a URL handler); ShellExecuteEx is asked without an owner
// window and without any error box of its own.

#include "platform/ShellOpen.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdint>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// ShellExecute's own failure numbers, which ShellExecuteEx leaves in
// hInstApp.
OpenResult ShellFailure(std::uintptr_t code) {
    switch (code) {
        case SE_ERR_FNF: return OpenResult::FileNotFound;
        case SE_ERR_PNF: return OpenResult::PathNotFound;
        case SE_ERR_ACCESSDENIED: return OpenResult::AccessDenied;
        case SE_ERR_OOM: return OpenResult::OutOfMemory;
        case ERROR_BAD_FORMAT: return OpenResult::BadFormat;
        case SE_ERR_SHARE: return OpenResult::SharingViolation;
        default: return OpenResult::NoAssociation;  // no or an incomplete association, DDE, a missing DLL
    }
}

// The error of the call when hInstApp tells nothing.
OpenResult LastErrorFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND: return OpenResult::FileNotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_INVALID_DRIVE: return OpenResult::PathNotFound;
        case ERROR_ACCESS_DENIED: return OpenResult::AccessDenied;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY: return OpenResult::OutOfMemory;
        case ERROR_BAD_FORMAT:
        case ERROR_BAD_EXE_FORMAT: return OpenResult::BadFormat;
        case ERROR_SHARING_VIOLATION: return OpenResult::SharingViolation;
        default: return OpenResult::NoAssociation;
    }
}

DWORD WaitLimit(std::chrono::milliseconds wait) {
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(wait.count(), 0, INFINITE - 1));
}

}  // namespace

OpenResult OpenWithShell(const std::string& target, int showMode, std::chrono::milliseconds verdictWait) {
    const std::wstring file = Widen(target);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = showMode;
    const BOOL opened = ShellExecuteExW(&info);
    const DWORD error = GetLastError();
    // Only a program (not a document opened by a running one, nor a URL
    // handed over by DDE) comes with a process handle.
    const UniqueHandle process(info.hProcess);
    if (opened) {
        if (process.IsOpen() && verdictWait.count() > 0) WaitForInputIdle(process.Get(), WaitLimit(verdictWait));
        return OpenResult::Opened;
    }
    const auto code = reinterpret_cast<std::uintptr_t>(info.hInstApp);
    return code > 0 && code <= 32 ? ShellFailure(code) : LastErrorFailure(error);
}

ChildProcess StartProgramFile(const std::string& fileName) {
    return ChildProcess(std::vector<std::string>{fileName});
}

}  // namespace kairos::platform
