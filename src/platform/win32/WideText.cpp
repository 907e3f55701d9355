#include "platform/win32/WideText.h"

#include <windows.h>

#include <climits>

namespace kairos::platform {

std::wstring Widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int length = static_cast<int>(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring text(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, text.data(), wide);
    return text;
}

std::string Narrow(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int length = static_cast<int>(utf16.size());
    const int narrow = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (narrow <= 0) return {};
    std::string text(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), narrow, nullptr, nullptr);
    return text;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(Widen(utf8));
}

}  // namespace kairos::platform
