// The user's sound scheme keeps one file per event alias under
// HKCU\AppEvents\Schemes\Apps\.Default\<alias>\.Current, the same place
// PlaySound looks an alias up. The value is usually REG_EXPAND_SZ
// ("%SystemRoot%\media\Windows Ding.wav"); older schemes name a bare file of
// the Windows media folder.

#include "platform/SoundTheme.h"

#include <windows.h>

#include <optional>

#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

constexpr std::wstring_view SchemeKey = L"AppEvents\\Schemes\\Apps\\.Default\\";
constexpr std::wstring_view CurrentSubkey = L"\\.Current";

// The default value of the key, unexpanded; nothing when it is missing or
// not a string.
std::optional<std::wstring> DefaultValue(const std::wstring& key) {
    constexpr DWORD Types = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, Types, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    // The value can grow between the two calls; the second then fails.
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, Types, nullptr, value.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    value.resize(value.find(L'\0'));
    return value;
}

std::wstring ExpandVariables(const std::wstring& text) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);
    return expanded;
}

// A bare file name is one of the Windows media folder.
std::wstring WithMediaFolder(const std::wstring& file) {
    if (file.find_first_of(L"\\/:") != std::wstring::npos) return file;
    return ExpandVariables(L"%SystemRoot%\\Media\\") + file;
}

}  // namespace

std::string EventSoundFile(std::string_view alias) {
    // A backslash would reach into another key.
    if (alias.empty() || alias.find_first_of(std::string_view("\\\0", 2)) != std::string_view::npos) return {};
    const std::wstring key = std::wstring(SchemeKey) + Widen(alias) + std::wstring(CurrentSubkey);
    const std::optional<std::wstring> value = DefaultValue(key);
    if (!value || value->empty()) return {};
    return Narrow(WithMediaFolder(ExpandVariables(*value)));
}

}  // namespace kairos::platform
