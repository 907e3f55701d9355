// The version resource as a section of an ELF file. The file is not trusted:
// it may be truncated, replaced while we read it, or made to mislead, so
// every offset, size and index it states is checked before it is used, and
// only the few headers needed are read, never the whole (possibly large)
// executable.

#include "platform/VersionInfo.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <type_traits>

#include "platform/AtomicFile.h"

namespace kairos::platform {
namespace {

bool InRange(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
    return offset <= size && length <= size - offset;
}

template <typename Struct>
bool ReadStruct(const ImageBytes& image, std::uint64_t offset, Struct& into) {
    static_assert(std::is_trivially_copyable_v<Struct>);
    char bytes[sizeof(Struct)];
    if (!InRange(image.Size(), offset, sizeof bytes) || !image.ReadAt(offset, bytes)) return false;
    std::memcpy(&into, bytes, sizeof bytes);
    return true;
}

template <typename Ehdr, typename Shdr>
bool ReadSectionHeader(const ImageBytes& image, const Ehdr& header, unsigned index, Shdr& section) {
    // Both factors are 16-bit, so the product cannot overflow.
    const std::uint64_t offset = std::uint64_t{index} * header.e_shentsize;
    if (!InRange(image.Size(), header.e_shoff, offset)) return false;
    return ReadStruct(image, header.e_shoff + offset, section);
}

template <typename Shdr>
bool ContentInImage(const ImageBytes& image, const Shdr& section) {
    return section.sh_type != SHT_NOBITS && InRange(image.Size(), section.sh_offset, section.sh_size);
}

template <typename Shdr>
bool NamedVersionSection(const ImageBytes& image, const Shdr& names, std::uint32_t nameOffset) {
    // The name with its terminating NUL must lie inside the name table.
    char name[VersionSectionName.size() + 1];
    if (!InRange(names.sh_size, nameOffset, sizeof name)) return false;
    if (!image.ReadAt(names.sh_offset + nameOffset, name)) return false;
    return std::string_view(name, sizeof name) == std::string_view(VersionSectionName.data(), sizeof name);
}

template <typename Shdr>
std::optional<std::string> VersionSectionContent(const ImageBytes& image, const Shdr& section) {
    if (!ContentInImage(image, section)) return std::nullopt;
    if (section.sh_size < VersionResourceMagic.size() || section.sh_size > MaxVersionResourceBytes)
        return std::nullopt;
    std::string content(static_cast<std::size_t>(section.sh_size), '\0');
    if (!image.ReadAt(section.sh_offset, content)) return std::nullopt;
    if (!content.starts_with(VersionResourceMagic)) return std::nullopt;
    return content;
}

// Extended section numbering (more than 65279 sections) is not followed: no
// executable of ours has that many, so such a file simply has no resource.
template <typename Ehdr, typename Shdr>
std::optional<std::string> FindInSections(const ImageBytes& image) {
    Ehdr header{};
    if (!ReadStruct(image, 0, header)) return std::nullopt;
    if (header.e_shoff == 0 || header.e_shentsize < sizeof(Shdr) || header.e_shstrndx >= header.e_shnum)
        return std::nullopt;
    Shdr names{};
    if (!ReadSectionHeader(image, header, header.e_shstrndx, names)) return std::nullopt;
    if (names.sh_type != SHT_STRTAB || !ContentInImage(image, names)) return std::nullopt;
    for (unsigned index = 0; index < header.e_shnum; ++index) {
        Shdr section{};
        if (!ReadSectionHeader(image, header, index, section)) return std::nullopt;
        if (NamedVersionSection(image, names, section.sh_name)) return VersionSectionContent(image, section);
    }
    return std::nullopt;
}

// A file read piece by piece; its size is taken once, when it is opened.
class FileImage final : public ImageBytes {
public:
    explicit FileImage(const std::string& fileName) {
        // Non-blocking, so that a FIFO under the name cannot hang the open;
        // anything but a regular file is refused below.
        FileDescriptor file(open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        struct stat info {};
        if (!file.IsOpen() || fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return;
        file_ = std::move(file);
        size_ = static_cast<std::uint64_t>(info.st_size);
    }

    std::uint64_t Size() const override { return size_; }

    bool ReadAt(std::uint64_t offset, std::span<char> into) const override {
        if (!file_.IsOpen() || !InRange(size_, offset, into.size())) return false;
        while (!into.empty()) {
            const ssize_t got = pread(file_.Get(), into.data(), into.size(), static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;  // an error, or the file was cut short meanwhile
            into = into.subspan(static_cast<std::size_t>(got));
            offset += static_cast<std::uint64_t>(got);
        }
        return true;
    }

private:
    FileDescriptor file_;
    std::uint64_t size_ = 0;
};

}  // namespace

std::optional<std::string> FindVersionResource(const ImageBytes& image) {
    unsigned char ident[EI_NIDENT];
    if (!ReadStruct(image, 0, ident) || std::memcmp(ident, ELFMAG, SELFMAG) != 0) return std::nullopt;
    const unsigned char nativeData = std::endian::native == std::endian::little ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != nativeData || ident[EI_VERSION] != EV_CURRENT) return std::nullopt;
    switch (ident[EI_CLASS]) {
        case ELFCLASS32: return FindInSections<Elf32_Ehdr, Elf32_Shdr>(image);
        case ELFCLASS64: return FindInSections<Elf64_Ehdr, Elf64_Shdr>(image);
        default: return std::nullopt;
    }
}

std::optional<std::string> ReadVersionResource(const std::string& fileName) {
    return FindVersionResource(FileImage(fileName));
}

}  // namespace kairos::platform
