#include "platform/VersionInfo.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <elf.h>
#endif

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace kairos::platform {
namespace {

using kairos::testing::TempDir;

const std::string kPrefix = "\\StringFileInfo\\0411FDE9\\";

std::vector<char> ReadResource(const std::string& path) {
    std::vector<char> block(GetFileVersionInfoSize(path));
    if (!block.empty() && !GetFileVersionInfo(path, block)) block.clear();
    return block;
}

std::string Value(const std::vector<char>& block, const std::string& path) {
    const std::span<const char> value = VerQueryValue(block, path);
    return {value.begin(), value.end()};
}

TEST(VersionInfo, ReadsTheStringsOfAProgram) {
    const std::vector<char> block = ReadResource(KAIROS_VERSIONED_PROGRAM);
    ASSERT_FALSE(block.empty());
    // Japanese in UTF-8: language 0x0411, code page 65001, little-endian.
    EXPECT_EQ(Value(block, "\\VarFileInfo\\Translation"), std::string("\x11\x04\xE9\xFD", 4));
    // Strings keep their terminating NUL.
    EXPECT_EQ(Value(block, kPrefix + "ProductVersion"), std::string(KAIROS_TEST_VERSION) + '\0');
    EXPECT_EQ(Value(block, kPrefix + "LegalCopyright"), std::string(KAIROS_TEST_COPYRIGHT) + '\0');
    EXPECT_EQ(Value(block, "\\stringfileinfo\\0411fde9\\COMMENTS"), std::string(KAIROS_TEST_COMMENTS) + '\0');
    EXPECT_TRUE(VerQueryValue(block, kPrefix + "FileDescription").empty());
    EXPECT_TRUE(VerQueryValue(block, "\\StringFileInfo\\04110000\\ProductVersion").empty());
}

TEST(VersionInfo, AnEmptyStringIsLeftOut) {
    const std::vector<char> block = ReadResource(KAIROS_VERSIONED_PROGRAM_WITHOUT_COMMENTS);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(Value(block, kPrefix + "ProductVersion"), std::string(KAIROS_TEST_VERSION) + '\0');
    EXPECT_TRUE(VerQueryValue(block, kPrefix + "Comments").empty());
}

TEST(VersionInfo, ABufferOfAnotherSizeIsNotFilled) {
    std::vector<char> block(GetFileVersionInfoSize(KAIROS_VERSIONED_PROGRAM) + 1, 'x');
    EXPECT_FALSE(GetFileVersionInfo(KAIROS_VERSIONED_PROGRAM, block));
    EXPECT_EQ(std::string(block.begin(), block.end()), std::string(block.size(), 'x'));
}

TEST(VersionInfo, FilesWithoutAResourceHaveSizeZero) {
    const TempDir dir;
    for (const std::string& path : {dir.Write("plain.txt", "no executable"), dir.File("missing"), dir.Path().string(),
                                    std::string("/proc/self/exe")}) {
        EXPECT_EQ(GetFileVersionInfoSize(path), 0u) << path;
    }
}

// The section reader of ELF files; Windows reads its native resources.
#ifndef _WIN32

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An image in memory, so that single fields can be damaged.
class MemoryImage final : public ImageBytes {
public:
    explicit MemoryImage(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    bool ReadAt(std::uint64_t offset, std::span<char> into) const override {
        if (offset > bytes_.size() || into.size() > bytes_.size() - offset) return false;
        std::memcpy(into.data(), bytes_.data() + offset, into.size());
        return true;
    }
    std::string bytes_;
};

Elf64_Ehdr& Header(std::string& image) {
    return *reinterpret_cast<Elf64_Ehdr*>(image.data());
}

Elf64_Shdr& SectionHeader(std::string& image, unsigned index) {
    return *reinterpret_cast<Elf64_Shdr*>(image.data() + Header(image).e_shoff + index * sizeof(Elf64_Shdr));
}

// The header of the version section in a well-formed image.
Elf64_Shdr& VersionSection(std::string& image) {
    const Elf64_Shdr& names = SectionHeader(image, Header(image).e_shstrndx);
    for (unsigned i = 0; i < Header(image).e_shnum; ++i)
        if (VersionSectionName == image.c_str() + names.sh_offset + SectionHeader(image, i).sh_name)
            return SectionHeader(image, i);
    ADD_FAILURE() << "no version section";
    return SectionHeader(image, 0);
}

struct Damage {
    const char* name;
    std::function<void(std::string&)> apply;
};

class DamagedImage : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedImage, HasNoResource) {
    std::string image = FileBytes(KAIROS_VERSIONED_PROGRAM);
    ASSERT_TRUE(FindVersionResource(MemoryImage(image)).has_value());
    GetParam().apply(image);
    EXPECT_FALSE(FindVersionResource(MemoryImage(image)).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    VersionInfo, DamagedImage,
    ::testing::Values(
        Damage{"CutInTheIdentification", [](std::string& image) { image.resize(10); }},
        Damage{"CutInTheHeader", [](std::string& image) { image.resize(40); }},
        Damage{"CutBeforeTheSectionTable", [](std::string& image) { image.resize(Header(image).e_shoff + 8); }},
        Damage{"LastByteMissing", [](std::string& image) { image.pop_back(); }},
        Damage{"OtherByteOrder", [](std::string& image) { image[EI_DATA] = ELFDATA2MSB; }},
        Damage{"UnknownClass", [](std::string& image) { image[EI_CLASS] = 7; }},
        Damage{"TableFarBeyondTheEnd", [](std::string& image) { Header(image).e_shoff = ~std::uint64_t{0} - 8; }},
        Damage{"NameTableIndexOutOfRange", [](std::string& image) { Header(image).e_shstrndx = 0xFFFF; }},
        Damage{"ShortTableEntries", [](std::string& image) { Header(image).e_shentsize = 8; }},
        Damage{"SectionBeyondTheEnd", [](std::string& image) { VersionSection(image).sh_offset = image.size() - 4; }},
        Damage{"SectionSizeOverflows", [](std::string& image) { VersionSection(image).sh_size = ~std::uint64_t{0}; }},
        Damage{"NameOffsetBeyondTheTable", [](std::string& image) { VersionSection(image).sh_name = 0xFFFFFFF0; }},
        Damage{"MagicChanged", [](std::string& image) { image[VersionSection(image).sh_offset] ^= 1; }}),
    [](const auto& info) { return std::string(info.param.name); });

#endif  // _WIN32

struct BlockCase {
    const char* name;
    std::string block;
};

class DamagedBlock : public ::testing::TestWithParam<BlockCase> {};

TEST_P(DamagedBlock, AnswersNothing) {
    const std::string& block = GetParam().block;
    EXPECT_TRUE(VerQueryValue(std::span<const char>(block.data(), block.size()), "\\A").empty());
}

const std::string kMagic(VersionResourceMagic);

INSTANTIATE_TEST_SUITE_P(
    VersionInfo, DamagedBlock,
    ::testing::Values(BlockCase{"Empty", ""}, BlockCase{"NoMagic", std::string("\\A\0\1\0\0\0x", 8)},
                      BlockCase{"PathWithoutEnd", kMagic + "\\A"},
                      BlockCase{"LengthCut", kMagic + std::string("\\A\0\1\0", 5)},
                      BlockCase{"ValueLongerThanTheBlock", kMagic + std::string("\\A\0\5\0\0\0x", 8)},
                      BlockCase{"HugeLengthBeforeTheEntry",
                                kMagic + std::string("\\B\0\xFF\xFF\xFF\xFF\\A\0\1\0\0\0x", 15)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kairos::platform
