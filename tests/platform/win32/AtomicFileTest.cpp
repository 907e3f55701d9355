// The Windows file primitives against real files, names in UTF-8 included.

#include "platform/AtomicFile.h"

#include <windows.h>
// The system's ReplaceFileA/W macro would hide the function under test.
#undef ReplaceFile

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win32/WideText.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

namespace fs = std::filesystem;

class WindowsFiles : public ::testing::Test {
protected:
    // The folder's name in UTF-8: TempDir's own names pass through the ANSI
    // code page, which has no Japanese.
    std::string File(std::string_view name) const { return Narrow(dir_.Path().wstring()) + '\\' + std::string(name); }

    std::string Write(std::string_view name, std::string_view bytes) const {
        const std::string path = File(name);
        std::ofstream(PathFromUtf8(path), std::ios::binary) << bytes;
        return path;
    }

    static std::string Contents(const std::string& path) {
        std::ifstream in(PathFromUtf8(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::size_t Entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()));
    }

    testing::TempDir dir_;
};

class ReplaceByName : public WindowsFiles, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReplaceByName, ReplacesTheContentAndLeavesNoTemporaryFile) {
    const std::string path = Write(GetParam(), "old content, longer than the new");
    ASSERT_EQ(ReplaceFile(SystemFileOps(), path, "new"), 0);
    EXPECT_EQ(Contents(path), "new");
    EXPECT_EQ(Entries(), 1u);
    std::string read;
    ASSERT_EQ(SystemFileOps().ReadAll(path, read), 0);
    EXPECT_EQ(read, "new");
    EXPECT_EQ(GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
}

TEST_P(ReplaceByName, CreatesAMissingFile) {
    const std::string path = File(GetParam());
    ASSERT_EQ(ReplaceFile(SystemFileOps(), path, "[General]\r\n"), 0);
    EXPECT_EQ(Contents(path), "[General]\r\n");
    EXPECT_EQ(Entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Names, ReplaceByName, ::testing::Values("Kairos.ini", "時計の設定.ini"));

TEST_F(WindowsFiles, AReadOnlyFileIsRefusedAndKept) {
    const std::string path = Write("Alarm.ini", "old");
    ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(ReplaceFile(SystemFileOps(), path, "new"), EACCES);
    EXPECT_EQ(Contents(path), "old");
    EXPECT_EQ(Entries(), 1u);
    SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
}

TEST_F(WindowsFiles, OnlyRegularFilesAreRead) {
    std::string bytes;
    fs::create_directory(PathFromUtf8(File("folder.ini")));
    EXPECT_EQ(SystemFileOps().ReadAll(File("folder.ini"), bytes), EISDIR);
    EXPECT_TRUE(IsNoSuchFile(SystemFileOps().ReadAll(File("missing.ini"), bytes)));
    EXPECT_TRUE(IsNoSuchFile(SystemFileOps().ReadAll(File("missing\\a.ini"), bytes)));
    EXPECT_EQ(SystemFileOps().ReadAll("NUL", bytes), EINVAL);
}

TEST_F(WindowsFiles, BackupsAndStaleTemporariesUnderAJapaneseName) {
    const std::string path = Write("時計.ini", "old");
    std::string backup;
    ASSERT_EQ(WriteBackup(SystemFileOps(), path, "old", backup), 0);
    EXPECT_EQ(backup, path + ".bak");
    EXPECT_EQ(NextBackupPath(path), path + ".1.bak");
    Write(".時計.ini.Ab12Cd", "x");
    Write(".時計.ini.Ab-2Cd", "x");
    EXPECT_EQ(RemoveStaleTemporaries(path), 1);
    EXPECT_EQ(Entries(), 3u);
}

TEST(ErrorText, IsTheSystemsWordingWithoutTheLineBreak) {
    for (const int error : {ENOENT, EACCES, ENOSPC, EISDIR, EIO}) {
        const std::string text = ErrorText(error);
        ASSERT_FALSE(text.empty()) << error;
        EXPECT_NE(text.back(), '\n') << error;
        EXPECT_NE(text.back(), '.') << error;
    }
    EXPECT_NE(ErrorText(ENOENT), ErrorText(EACCES));
}

}  // namespace
}  // namespace kairos::platform
