#include "platform/ProgramFile.h"

#include <windows.h>

#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

// Far beyond the longest path Windows allows (32767 characters).
constexpr DWORD MaxPathLength = 65536;

}  // namespace

std::string ExecutablePath() {
    // A path that does not fit is cut to the buffer's size, so the call is
    // retried with a larger buffer until the result leaves room to spare.
    for (DWORD size = MAX_PATH; size <= MaxPathLength; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) return {};
        if (length < size) {
            path.resize(length);
            return Narrow(path);
        }
    }
    return {};
}

}  // namespace kairos::platform
