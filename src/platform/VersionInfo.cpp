// Reading a version resource block, the same on every system: the block is
// always the layout described in VersionInfo.h, whatever the file held.

#include "platform/VersionInfo.h"

#include <cstring>

#include "platform/AsciiCase.h"

namespace kairos::platform {
namespace {

std::uint32_t LittleEndian32(std::span<const char> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

}  // namespace

std::span<const char> VerQueryValue(std::span<const char> block, std::string_view subBlock) {
    const std::string_view bytes(block.data(), block.size());
    if (!bytes.starts_with(VersionResourceMagic)) return {};
    std::size_t at = VersionResourceMagic.size();
    while (at < bytes.size()) {
        const std::size_t pathEnd = bytes.find('\0', at);
        if (pathEnd == std::string_view::npos || bytes.size() - pathEnd - 1 < 4) return {};
        const std::string_view path = bytes.substr(at, pathEnd - at);
        const std::uint32_t length = LittleEndian32(block.subspan(pathEnd + 1, 4));
        at = pathEnd + 1 + 4;
        if (length > bytes.size() - at) return {};
        if (SameIgnoringAsciiCase(path, subBlock)) return block.subspan(at, length);
        at += length;
    }
    return {};
}

std::uint32_t GetFileVersionInfoSize(const std::string& fileName) {
    const std::optional<std::string> resource = ReadVersionResource(fileName);
    return resource ? static_cast<std::uint32_t>(resource->size()) : 0;
}

bool GetFileVersionInfo(const std::string& fileName, std::span<char> data) {
    const std::optional<std::string> resource = ReadVersionResource(fileName);
    if (!resource || resource->size() != data.size()) return false;
    std::memcpy(data.data(), resource->data(), data.size());
    return true;
}

}  // namespace kairos::platform
