#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos::platform {
namespace {

namespace fs = std::filesystem;

struct UserDirsCase {
    const char* name;
    std::optional<std::string> path;  // below "/home/u" when relative
};

TEST(UserDirs, ParsesWhatXdgUserDirsWritesAndNothingElse) {
    const std::string_view file =
        "# written by xdg-user-dirs-update\r\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\r\n"
        "XDG_MUSIC_DIR=\"/srv/music/\"\n"
        "#XDG_PICTURES_DIR=\"$HOME/Pictures\"\n"
        "  XDG_DESKTOP_DIR = \"$HOME/My \\\"Desk\\\"\"  \n"
        "XDG_TEMPLATES_DIR=\"$HOME/\"\n"
        "XDG_PUBLICSHARE_DIR=\"${HOME}/Public\"\n"
        "XDG_DOWNLOAD_DIR=\"$HOMEWORK/dl\"\n"
        "XDG_VIDEOS_DIR=\"Videos\"\n"
        "XDG_BROKEN_DIR=\"/never/closed\n"
        "XDG_PLAIN_DIR=/plain/path # a comment\n"
        "XDG_TWICE_DIR=\"/first\"\n"
        "XDG_TWICE_DIR=\"/second\"\n"
        "no assignment here";
    const UserDirsCase cases[] = {
        {"XDG_DOCUMENTS_DIR", "/home/u/Documents"},
        {"XDG_MUSIC_DIR", "/srv/music"},
        {"XDG_PICTURES_DIR", std::nullopt},
        {"XDG_DESKTOP_DIR", "/home/u/My \"Desk\""},
        {"XDG_TEMPLATES_DIR", "/home/u"},
        {"XDG_PUBLICSHARE_DIR", "/home/u/Public"},
        {"XDG_DOWNLOAD_DIR", std::nullopt},
        {"XDG_VIDEOS_DIR", std::nullopt},
        {"XDG_BROKEN_DIR", std::nullopt},
        {"XDG_PLAIN_DIR", "/plain/path"},
        {"XDG_TWICE_DIR", "/second"},
    };
    const auto dirs = ParseUserDirs(file, "/home/u");
    for (const UserDirsCase& c : cases) {
        const auto found = dirs.find(c.name);
        const std::optional<std::string> path =
            found == dirs.end() ? std::nullopt : std::optional<std::string>(found->second);
        EXPECT_EQ(path, c.path) << c.name;
    }
    EXPECT_EQ(dirs.size(), 7u);
}

// A home of its own with the XDG variables pointing into it; no test sees the
// real user's folders.
class FoldersInFakeHome : public ::testing::Test {
protected:
    void SetUp() override {
        env_.Set("HOME", home_.Path().string() + "/");  // the trailing '/' must not survive
        env_.Unset("XDG_CONFIG_HOME");
        env_.Unset("XDG_DATA_HOME");
        for (const char* name : {"XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_MUSIC_DIR", "XDG_PICTURES_DIR"})
            env_.Unset(name);
    }

    std::string Home(std::string_view below = {}) const { return home_.Path().string() + std::string(below); }
    void MakeFolder(std::string_view below) const { fs::create_directories(Home(below)); }

    testing::TempDir home_;
    testing::ScopedEnvironment env_;
};

struct FolderCase {
    FolderId id;
    const char* below;  // the expected path below the fake home; nullptr for empty
};

TEST_F(FoldersInFakeHome, ResolveFromUserDirsDefaultsAndBaseDirectories) {
    for (const char* folder : {"/Docs", "/Desktop", "/Pictures", "/Music", "/.config", "/.local/share"})
        MakeFolder(folder);
    home_.Write(".config/user-dirs.dirs",
                "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n"
                "XDG_MUSIC_DIR=\"$HOME/Gone\"\n"  // named but missing
                "XDG_PICTURES_DIR=\"$HOME/\"\n");  // turned off
    const FolderCase cases[] = {
        {FolderId::Documents, "/Docs"},
        {FolderId::Music, nullptr},
        {FolderId::Pictures, nullptr},
        {FolderId::Desktop, "/Desktop"},  // not in the file: the default name
        {FolderId::Profile, ""},
        {FolderId::RoamingAppData, "/.config"},
        {FolderId::LocalAppData, "/.local/share"},
        {FolderId::WindowsDirectory, nullptr},
        {FolderId::SystemDirectory, nullptr},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(FolderPath(c.id), c.below ? Home(c.below) : std::string()) << static_cast<int>(c.id);
}

TEST_F(FoldersInFakeHome, EnvironmentOverridesTheFileAndBaseFoldersFollowTheirVariables) {
    for (const char* folder : {"/Docs", "/Other", "/cfg", "/data"}) MakeFolder(folder);
    home_.Write("cfg/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Docs\"\n");
    env_.Set("XDG_CONFIG_HOME", Home("/cfg"));
    env_.Set("XDG_DATA_HOME", Home("/data/"));
    EXPECT_EQ(FolderPath(FolderId::Documents), Home("/Docs"));
    env_.Set("XDG_DOCUMENTS_DIR", Home("/Other"));
    EXPECT_EQ(FolderPath(FolderId::Documents), Home("/Other"));
    EXPECT_EQ(FolderPath(FolderId::RoamingAppData), Home("/cfg"));
    EXPECT_EQ(FolderPath(FolderId::LocalAppData), Home("/data"));
    // The base directory rules ignore a relative value.
    env_.Set("XDG_DATA_HOME", "data");
    EXPECT_EQ(FolderPath(FolderId::LocalAppData), std::string());
}

struct FileNameCase {
    std::string_view executable;
    std::string_view settings;
};

void PrintTo(const FileNameCase& c, std::ostream* os) {
    *os << c.executable;
}

class SettingsFile : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(SettingsFile, IsNamedAfterTheExecutable) {
    EXPECT_EQ(SettingsFileName(GetParam().executable), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(Names, SettingsFile,
                         ::testing::Values(FileNameCase{"/opt/tools/kairos", "kairos.ini"},
                                           FileNameCase{"/opt/tools/Kairos.exe", "Kairos.ini"},
                                           FileNameCase{"/opt/v1.2/kairos", "kairos.ini"},
                                           FileNameCase{"/opt/kairos.1.2", "kairos.1.ini"},
                                           FileNameCase{"kairos", "kairos.ini"}));

TEST_F(FoldersInFakeHome, SettingsStayBesideAWritableExecutable) {
    const auto writable = [](const std::string&) { return true; };
    EXPECT_EQ(SettingsFolderFor("/opt/tools", writable), "/opt/tools");
    EXPECT_FALSE(fs::exists(Home("/.config/kairos")));
}

TEST_F(FoldersInFakeHome, SettingsMoveToAPrivateConfigFolderOtherwise) {
    env_.Set("XDG_CONFIG_HOME", Home("/not/yet"));
    const auto readOnly = [](const std::string&) { return false; };
    const std::string folder = SettingsFolderFor("/opt/tools", readOnly);
    EXPECT_EQ(folder, Home("/not/yet/kairos"));
    for (const char* created : {"/not", "/not/yet", "/not/yet/kairos"}) {
        struct stat info {};
        ASSERT_EQ(stat(Home(created).c_str(), &info), 0) << created;
        EXPECT_EQ(info.st_mode & 07777, 0700u) << created;
    }
    EXPECT_EQ(SettingsFolderFor("/opt/tools", readOnly), folder);  // an existing folder is fine
}

TEST_F(FoldersInFakeHome, AnInstalledProgramKeepsItsSettingsPerUserEvenForRoot) {
    env_.Set("XDG_CONFIG_HOME", Home("/config"));
    const auto writable = [](const std::string&) { return true; };
    for (const char* folder : {"/usr/bin", "/usr/local/bin", "/bin"})
        EXPECT_EQ(SettingsFolderFor(folder, writable), Home("/config/kairos")) << folder;
    EXPECT_EQ(SettingsFolderFor("/usr/bin/tools", writable), "/usr/bin/tools");
}

TEST_F(FoldersInFakeHome, ReadOnlyFolderIsNotWritable) {
    MakeFolder("/ro");
    fs::permissions(Home("/ro"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(IsWritableFolder(Home()));
    EXPECT_FALSE(IsWritableFolder(Home("/missing")));
    if (geteuid() == 0) GTEST_SKIP() << "root may write into any folder, whatever its mode";
    EXPECT_FALSE(IsWritableFolder(Home("/ro")));
}

}  // namespace
}  // namespace kairos::platform
