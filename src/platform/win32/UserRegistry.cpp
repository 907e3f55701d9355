// The registry below HKEY_CURRENT_USER. The registry functions return their
// error codes rather than setting the thread's last error.

#include "platform/UserRegistry.h"

#include <windows.h>

#include <cerrno>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Error.h"

namespace kairos::platform {
namespace {

// An open registry key, closed when its owner goes.
class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY Get() const { return key_; }
    HKEY* Receive() { return &key_; }

private:
    HKEY key_ = nullptr;
};

int ErrnoFromStatus(LSTATUS status) {
    return status == ERROR_SUCCESS ? 0 : ErrnoFromWin32(static_cast<unsigned long>(status));
}

// An empty name would stand for HKEY_CURRENT_USER itself, which is never
// ours to write or to delete.
bool Named(std::string_view key, std::string_view section = "-") {
    return !key.empty() && !section.empty();
}

std::wstring SectionPath(std::string_view key, std::string_view section) {
    return Widen(key) + L'\\' + Widen(section);
}

// A string's data as stored: a count of bytes, with or without the
// terminating NUL the writer may have left out.
std::string TextOf(const std::wstring& data, DWORD bytes) {
    std::wstring_view text(data.data(), bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
    return Narrow(text);
}

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

int ReadValues(HKEY key, std::vector<RegistryValue>& values) {
    DWORD count = 0, longestName = 0, longestData = 0;
    LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                                      &longestData, nullptr, nullptr);
    if (status != ERROR_SUCCESS) return ErrnoFromStatus(status);
    std::wstring name(longestName + 1, L'\0');
    std::wstring data(longestData / sizeof(wchar_t) + 1, L'\0');
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataBytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        status = RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type,
                               reinterpret_cast<BYTE*>(data.data()), &dataBytes);
        // A value that changed meanwhile or went away is passed over.
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS || !IsString(type)) continue;
        values.push_back({Narrow(std::wstring_view(name.data(), nameLength)), TextOf(data, dataBytes)});
    }
    return 0;
}

}  // namespace

bool UserRegistryAvailable() {
    return true;
}

int ReadRegistrySection(std::string_view key, std::string_view section, std::vector<RegistryValue>& values) {
    values.clear();
    if (!Named(key, section)) return EINVAL;
    RegistryKey opened;
    const LSTATUS status =
        RegOpenKeyExW(HKEY_CURRENT_USER, SectionPath(key, section).c_str(), 0, KEY_QUERY_VALUE, opened.Receive());
    if (status != ERROR_SUCCESS) return ErrnoFromStatus(status);
    return ReadValues(opened.Get(), values);
}

int WriteRegistryString(std::string_view key, std::string_view section, std::string_view name,
                        std::string_view text) {
    if (!Named(key, section)) return EINVAL;
    RegistryKey created;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, SectionPath(key, section).c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, created.Receive(), nullptr);
    if (status != ERROR_SUCCESS) return ErrnoFromStatus(status);
    const std::wstring data = Widen(text);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));  // with its NUL
    status = RegSetValueExW(created.Get(), Widen(name).c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()), bytes);
    return ErrnoFromStatus(status);
}

int EraseRegistrySection(std::string_view key, std::string_view section) {
    if (!Named(key, section)) return EINVAL;
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, SectionPath(key, section).c_str());
    return status == ERROR_FILE_NOT_FOUND ? 0 : ErrnoFromStatus(status);
}

int DeleteRegistryKey(std::string_view key) {
    if (!Named(key)) return EINVAL;
    const LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key).c_str());
    return status == ERROR_FILE_NOT_FOUND ? 0 : ErrnoFromStatus(status);
}

}  // namespace kairos::platform
