// The version resource of a Windows executable, read by the system and
// rewritten in the block layout every system shares (VersionInfo.h), with
// the strings in UTF-8. The system offers no way to list a string table, so
// the block holds the standard string names of each translation the file
// states.

#include "platform/VersionInfo.h"

#include <windows.h>
// The system's names are macros for its A and W functions; the ones defined
// here are the platform interface's own.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

constexpr std::array<const wchar_t*, 12> StandardNames = {
    L"Comments",        L"CompanyName",     L"FileDescription",  L"FileVersion",
    L"InternalName",    L"LegalCopyright",  L"LegalTrademarks",  L"OriginalFilename",
    L"PrivateBuild",    L"ProductName",     L"ProductVersion",   L"SpecialBuild"};

struct Translation {
    WORD language;
    WORD codePage;
};

std::optional<std::vector<char>> ReadNativeResource(const std::wstring& fileName) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return std::nullopt;
    return block;
}

std::span<const char> NativeValue(std::vector<char>& block, const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) return {};
    return {static_cast<const char*>(value), length};
}

// The system gives a string's length in characters, its NUL mostly
// included; the text ends at the first NUL either way.
std::string NativeString(std::vector<char>& block, const std::wstring& path) {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || value == nullptr) return {};
    const auto* text = static_cast<const wchar_t*>(value);
    return Narrow(std::wstring_view(text, wcsnlen(text, length)));
}

std::vector<Translation> Translations(std::span<const char> value) {
    std::vector<Translation> translations(value.size() / sizeof(Translation));
    std::memcpy(translations.data(), value.data(), translations.size() * sizeof(Translation));
    return translations;
}

// StringFileInfo names a table by language and code page in eight hex digits.
std::string TableName(const Translation& translation) {
    std::array<char, 9> name{};
    std::snprintf(name.data(), name.size(), "%04X%04X", translation.language, translation.codePage);
    return name.data();
}

class BlockWriter {
public:
    BlockWriter() : bytes_(VersionResourceMagic) {}

    void Entry(std::string_view path, std::span<const char> value) {
        bytes_.append(path);
        bytes_ += '\0';
        auto length = static_cast<std::uint32_t>(value.size());
        for (int i = 0; i < 4; ++i, length >>= 8) bytes_ += static_cast<char>(length & 0xFF);
        bytes_.append(value.data(), value.size());
    }

    std::string Finish() { return std::move(bytes_); }

private:
    std::string bytes_;
};

}  // namespace

std::optional<std::string> ReadVersionResource(const std::string& fileName) {
    auto native = ReadNativeResource(Widen(fileName));
    if (!native) return std::nullopt;
    BlockWriter writer;
    const std::span<const char> translationValue = NativeValue(*native, Widen(VersionTranslationPath));
    // The translation's bytes are little-endian already, as are the block's.
    if (!translationValue.empty()) writer.Entry(VersionTranslationPath, translationValue);
    for (const Translation& translation : Translations(translationValue)) {
        const std::string table = "\\StringFileInfo\\" + TableName(translation) + "\\";
        for (const wchar_t* name : StandardNames) {
            std::string text = NativeString(*native, Widen(table) + name);
            if (text.empty()) continue;  // as the build leaves out empty strings
            const std::string path = table + Narrow(name);
            writer.Entry(path, std::span<const char>(text.c_str(), text.size() + 1));
        }
    }
    std::string block = writer.Finish();
    if (block.size() > MaxVersionResourceBytes) return std::nullopt;
    return block;
}

}  // namespace kairos::platform
