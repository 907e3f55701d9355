// Any bytes as an executable image, and as the entries of a version
// resource: the reader must find a resource only where the named section
// holds the magic within the limit, and every value it answers must lie
// inside the resource, whatever the headers and entries claim.
//
// Input: the image's bytes; the same bytes after the magic are also queried
// as a resource of their own.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/VersionInfo.h"

namespace {

using namespace kairos::platform;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "VersionInfo: %s\n", what);
    std::abort();
}

class MemoryImage final : public ImageBytes {
public:
    explicit MemoryImage(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, std::span<char> into) const override {
        if (offset > bytes_.size() || into.size() > bytes_.size() - offset) Fail("read outside the image");
        std::memcpy(into.data(), bytes_.data() + offset, into.size());
        return true;
    }

private:
    std::string_view bytes_;
};

void QueryAll(std::span<const char> block) {
    for (const std::string_view path :
         {VersionTranslationPath, std::string_view("\\StringFileInfo\\0411FDE9\\ProductVersion"),
          std::string_view("\\stringfileinfo\\0411fde9\\comments"), std::string_view("")}) {
        const std::span<const char> value = VerQueryValue(block, path);
        if (value.empty()) continue;
        if (value.data() < block.data() || value.data() + value.size() > block.data() + block.size())
            Fail("a value outside the resource");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto resource = FindVersionResource(MemoryImage(bytes))) {
        if (resource->size() > MaxVersionResourceBytes) Fail("a resource above the limit");
        if (!resource->starts_with(VersionResourceMagic)) Fail("a resource without the magic");
        QueryAll(*resource);
    }
    const std::string entries = std::string(VersionResourceMagic) + std::string(bytes);
    QueryAll(entries);
    return 0;
}
