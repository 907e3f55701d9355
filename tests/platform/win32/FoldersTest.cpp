// The Windows folders: the shell's known folders, the program's own, and the
// choice between a portable and a per-user settings folder.

#include "platform/Folders.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "platform/ProgramFile.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

namespace fs = std::filesystem;

bool IsAbsoluteWindowsPath(const std::string& path) {
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\' && path.find('/') == std::string::npos &&
           path.back() != '\\';
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(KnownFolders, AreAbsoluteFoldersWithBackslashes) {
    for (const FolderId id : {FolderId::Desktop, FolderId::Documents, FolderId::RoamingAppData,
                              FolderId::LocalAppData, FolderId::ProgramFiles, FolderId::Profile,
                              FolderId::CommonProgramFiles, FolderId::Executable, FolderId::WindowsDirectory,
                              FolderId::SystemDirectory}) {
        const std::string path = FolderPath(id);
        EXPECT_TRUE(IsAbsoluteWindowsPath(path)) << static_cast<int>(id) << ": " << path;
    }
    // May be missing from a profile; then they are empty, never half a path.
    for (const FolderId id : {FolderId::Music, FolderId::Pictures}) {
        const std::string path = FolderPath(id);
        EXPECT_TRUE(path.empty() || IsAbsoluteWindowsPath(path)) << path;
    }
}

TEST(ProgramFile, NamesThisProgramAndGivesItsSettingsFile) {
    const std::string path = ExecutablePath();
    ASSERT_TRUE(IsAbsoluteWindowsPath(path)) << path;
    EXPECT_TRUE(fs::is_regular_file(PathFromUtf8(path)));
    const std::string folder = ExecutableFolder();
    EXPECT_EQ(path.substr(0, folder.size() + 1), folder + '\\');
    const std::string name = path.substr(folder.size() + 1);
    EXPECT_EQ(SettingsFileName(path), name.substr(0, name.rfind('.')) + ".ini");
    EXPECT_EQ(SettingsFilePath(), SettingsFolder() + '\\' + SettingsFileName(path));
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
    return text;
}

TEST(SystemProgramFolders, AreProgramFilesAndWindowsAndBelow) {
    const std::string programs = FolderPath(FolderId::ProgramFiles);
    const std::string windows = FolderPath(FolderId::WindowsDirectory);
    ASSERT_FALSE(programs.empty());
    const struct {
        std::string folder;
        bool system;
    } cases[] = {
        {programs, true},
        {programs + "\\Kairos", true},
        {Upper(programs) + "\\時計", true},
        {windows + "\\System32", true},
        {programs + " Extra\\Kairos", false},
        {"C:\\Tools\\Kairos", false},
        {ExecutableFolder(), false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSystemProgramFolder(c.folder), c.system) << c.folder;
}

TEST(SettingsFolder, IsBesideAPortableCopyElseInAppData) {
    const std::string perUser = FolderPath(FolderId::RoamingAppData) + "\\Kairos";
    const std::string installed = FolderPath(FolderId::ProgramFiles) + "\\Kairos";
    const bool existed = Exists(perUser);
    const struct {
        std::string executableFolder;
        bool writable;
        std::string expected;
    } cases[] = {
        {"C:\\Tools", true, "C:\\Tools"},
        {"C:\\Tools", false, perUser},
        {installed, true, perUser},  // even where an administrator may write
        {"D:\\時計", true, "D:\\時計"},
    };
    for (const auto& c : cases) {
        const auto writable = [&c](const std::string& folder) {
            EXPECT_EQ(folder, c.executableFolder);
            return c.writable;
        };
        EXPECT_EQ(SettingsFolderFor(c.executableFolder, writable), c.expected) << c.executableFolder;
    }
    EXPECT_TRUE(fs::is_directory(PathFromUtf8(perUser)));
    if (!existed) RemoveDirectoryW(Widen(perUser).c_str());
}

TEST(WritableFolder, IsFoundByCreatingAFileThere) {
    testing::TempDir dir;
    const std::string folder = Narrow(dir.Path().wstring());
    const std::string japanese = folder + "\\書き込み";
    ASSERT_TRUE(CreateDirectoryW(Widen(japanese).c_str(), nullptr));
    EXPECT_TRUE(IsWritableFolder(folder));
    EXPECT_TRUE(IsWritableFolder(japanese));
    EXPECT_FALSE(IsWritableFolder(folder + "\\missing"));
    EXPECT_FALSE(IsWritableFolder(""));
    EXPECT_TRUE(fs::is_empty(dir.Path() / L"書き込み")) << "the probe file is gone";
}

}  // namespace
}  // namespace kairos::platform
