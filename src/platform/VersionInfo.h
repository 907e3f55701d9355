#pragma once
// The version strings of an executable file: its product version, copyright
// line and comments, read back at run time through the same three operations
// Windows offers for its version resources.
//
// Where executables carry no native resource (ELF on Linux), the build puts
// one of its own into a section of the file named KAIROS_VERSION_SECTION. On
// Windows the build makes a real VERSIONINFO resource; the reader rewrites
// its strings in UTF-8 into the same layout, so the block handed out is alike
// on every system:
//
//   the 8 bytes VersionResourceMagic, then entries one after another, each
//   - a path such as "\StringFileInfo\0411FDE9\ProductVersion", ending in NUL;
//   - the value's length in bytes, 4 bytes little-endian;
//   - the value: a string with its terminating NUL, or, for
//     "\VarFileInfo\Translation", pairs of 16-bit numbers (language, code
//     page), each little-endian.
//
// The generated source of each program builds its resource at compile time
// with BuildVersionResource below.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// A macro because a section attribute takes a string literal.
#define KAIROS_VERSION_SECTION ".kairos_version"

namespace kairos::platform {

inline constexpr std::string_view VersionSectionName = KAIROS_VERSION_SECTION;
inline constexpr std::string_view VersionResourceMagic{"KairosV\x01", 8};
inline constexpr std::string_view VersionTranslationPath = "\\VarFileInfo\\Translation";
// Windows keeps its resources below 64 KiB; anything larger is not ours.
inline constexpr std::size_t MaxVersionResourceBytes = 64u << 10;

// ---- Reading ------------------------------------------------------------------

// The file's whole version resource in the layout above; each system reads
// its own kind of executable.
std::optional<std::string> ReadVersionResource(const std::string& fileName);

// The size of the file's version resource; 0 when it has none, or when the
// file cannot be read or is no well-formed executable of this machine.
std::uint32_t GetFileVersionInfoSize(const std::string& fileName);
// Reads the resource into data, which must be exactly as large as the size
// asked before; false when it is not, or when the file changed meanwhile.
bool GetFileVersionInfo(const std::string& fileName, std::span<char> data);
// The value at a path in a resource read by GetFileVersionInfo (the names in
// the path compare without regard to letter case): a view into the block,
// empty when the value is missing or the block is damaged.
std::span<const char> VerQueryValue(std::span<const char> block, std::string_view subBlock);

#if !defined(_WIN32)
// The bytes of an executable image, read at any offset; the files of the
// operations above, or memory where the reader is tried on any input.
class ImageBytes {
public:
    virtual ~ImageBytes() = default;
    virtual std::uint64_t Size() const = 0;
    // False unless all of into could be filled from offset on.
    virtual bool ReadAt(std::uint64_t offset, std::span<char> into) const = 0;
};

// The version resource of an ELF image in the machine's byte order: the
// named section, when it begins with the magic and is no larger than the
// limit. Every offset and size in the image is checked against the image.
std::optional<std::string> FindVersionResource(const ImageBytes& image);
#endif

// ---- Building, at compile time --------------------------------------------------

enum class VersionValueKind { Text, Translation };

struct VersionEntry {
    VersionValueKind kind = VersionValueKind::Text;
    std::string_view path;
    std::string_view text;
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;

    // An empty text is left out of the resource, as if it had no such string.
    static constexpr VersionEntry Text(std::string_view path, std::string_view text) {
        return {VersionValueKind::Text, path, text, 0, 0};
    }
    static constexpr VersionEntry Translation(std::uint16_t language, std::uint16_t codePage) {
        return {VersionValueKind::Translation, VersionTranslationPath, {}, language, codePage};
    }

    constexpr bool Stored() const { return kind == VersionValueKind::Translation || !text.empty(); }
    constexpr std::size_t ValueSize() const { return kind == VersionValueKind::Translation ? 4 : text.size() + 1; }
};

constexpr std::size_t VersionResourceSize(std::span<const VersionEntry> entries) {
    std::size_t size = VersionResourceMagic.size();
    for (const VersionEntry& entry : entries)
        if (entry.Stored()) size += entry.path.size() + 1 + 4 + entry.ValueSize();
    return size;
}

template <std::size_t Size>
constexpr std::array<char, Size> BuildVersionResource(std::span<const VersionEntry> entries) {
    std::array<char, Size> bytes{};
    std::size_t at = 0;
    const auto put = [&bytes, &at](std::string_view part) {
        for (const char c : part) bytes[at++] = c;
    };
    const auto putLittleEndian = [&bytes, &at](std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i, value >>= 8) bytes[at++] = static_cast<char>(value & 0xFF);
    };
    put(VersionResourceMagic);
    for (const VersionEntry& entry : entries) {
        if (!entry.Stored()) continue;
        put(entry.path);
        bytes[at++] = '\0';
        putLittleEndian(static_cast<std::uint32_t>(entry.ValueSize()), 4);
        if (entry.kind == VersionValueKind::Translation) {
            putLittleEndian(entry.language, 2);
            putLittleEndian(entry.codePage, 2);
        } else {
            put(entry.text);
            bytes[at++] = '\0';
        }
    }
    return bytes;
}

}  // namespace kairos::platform
