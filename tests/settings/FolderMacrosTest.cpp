#include "settings/FolderMacros.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "platform/Folders.h"
#include "platform/PathNames.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

using platform::FolderId;

// A Linux layout in table order; the Windows and system directories have no
// counterpart and stay empty.
const ResolvedFolders LinuxLayout = {
    "/home/u/Documents", "/home/u/Music", "/home/u/.config", "/home/u/.local/share", "", "",
    "/usr/local",        "/home/u/Pictures", "/home/u",     "/usr/share",           "/opt/tools",
};

// The rest of a path after its folder as this system writes it: '/' is '\'
// on Windows.
std::string Rest(std::string_view rest) {
    std::string text(rest);
    for (char& c : text)
        if (c == '/') c = platform::PreferredSeparator();
    return text;
}

class WithFolders : public ::testing::Test {
protected:
    void SetUp() override { SetResolvedFolders(LinuxLayout); }
    void TearDown() override { SetResolvedFolders(saved_); }

private:
    ResolvedFolders saved_ = CurrentResolvedFolders();
};

struct MacroCase {
    std::string_view path;
    std::string_view stored;
};

void PrintTo(const MacroCase& c, std::ostream* os) {
    *os << '"' << c.path << "\" <-> \"" << c.stored << '"';
}

class Collapse : public WithFolders, public ::testing::WithParamInterface<MacroCase> {};

TEST_P(Collapse, WritesTheFirstMatchingMacro) {
    EXPECT_EQ(CollapseFolderMacros(GetParam().path), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Collapse,
    ::testing::Values(MacroCase{"/opt/tools/a.wav", "%APPLICATION%/a.wav"},
                      MacroCase{"/opt/tools", "%APPLICATION%"},
                      MacroCase{"/home/u/Documents/x.txt", "%PERSONAL%/x.txt"},
                      MacroCase{"/home/u/.config/k.ini", "%APPDATA%/k.ini"},  // before %PROFILE%
                      MacroCase{"/home/u/notes.txt", "%PROFILE%/notes.txt"},
                      MacroCase{"/home/u/Pictures/bg.png", "%MYPICTURES%/bg.png"},
                      MacroCase{"/usr/local/bin/kairos", "%PROGRAM_FILES%/bin/kairos"},
                      MacroCase{"/usr/share/sounds/bell.wav", "%PROGRAM_FILES_COMMON%/sounds/bell.wav"},
                      MacroCase{"/opt/toolsbox/a.wav", "%APPLICATION%box/a.wav"},  // characters, not components
                      MacroCase{"/home/user/a.wav", "%PROFILE%ser/a.wav"},
                      MacroCase{"/Opt/tools/a.wav", "/Opt/tools/a.wav"},  // case-sensitive
                      MacroCase{"/srv/a.wav", "/srv/a.wav"},  // empty folders match nothing
                      MacroCase{"a.wav", "a.wav"}, MacroCase{"", ""}));

// What a stored text expands to on each system: the rest after the macro
// takes the system's separators where that cannot change a file's name.
struct ExpandCase {
    std::string_view stored;
    std::string_view posix;
    std::string_view windows;
};

void PrintTo(const ExpandCase& c, std::ostream* os) {
    *os << '"' << c.stored << '"';
}

class Expand : public WithFolders, public ::testing::WithParamInterface<ExpandCase> {};

TEST_P(Expand, ReplacesOnlyALeadingMacro) {
    const bool windows = platform::NativePathStyle == platform::PathStyle::Windows;
    EXPECT_EQ(ExpandFolderMacros(GetParam().stored), windows ? GetParam().windows : GetParam().posix);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Expand,
    ::testing::Values(ExpandCase{"%APPLICATION%/a.wav", "/opt/tools/a.wav", "/opt/tools\\a.wav"},
                      ExpandCase{"%APPLICATION%", "/opt/tools", "/opt/tools"},
                      ExpandCase{"%PROGRAM_FILES%/x", "/usr/local/x", "/usr/local\\x"},
                      ExpandCase{"%PROGRAM_FILES_COMMON%/sounds", "/usr/share/sounds", "/usr/share\\sounds"},
                      ExpandCase{"%MYMUSIC%/chime.wav", "/home/u/Music/chime.wav", "/home/u/Music\\chime.wav"},
                      // written on Windows: on Linux every separator of the rest becomes '/'
                      ExpandCase{"%APPLICATION%\\a.wav", "/opt/tools/a.wav", "/opt/tools\\a.wav"},
                      ExpandCase{"%APPLICATION%\\Sounds\\a.wav", "/opt/tools/Sounds/a.wav",
                                 "/opt/tools\\Sounds\\a.wav"},
                      // written on Linux: a '\' inside a Linux file name stays there,
                      // and on Windows every '/' is a separator
                      ExpandCase{"%APPLICATION%/a\\b.wav", "/opt/tools/a\\b.wav", "/opt/tools\\a\\b.wav"},
                      ExpandCase{"%APPLICATION%/Sounds/a.wav", "/opt/tools/Sounds/a.wav",
                                 "/opt/tools\\Sounds\\a.wav"},
                      ExpandCase{"%application%/a.wav", "%application%/a.wav", "%application%/a.wav"},
                      ExpandCase{"x%APPLICATION%/a.wav", "x%APPLICATION%/a.wav", "x%APPLICATION%/a.wav"},
                      ExpandCase{"%APPLICATION", "%APPLICATION", "%APPLICATION"},
                      ExpandCase{"%HOME%/a", "%HOME%/a", "%HOME%/a"},
                      // no folder: left as is rather than rooted at the top
                      ExpandCase{"%WINDOWS%\\Media\\chimes.wav", "%WINDOWS%\\Media\\chimes.wav",
                                 "%WINDOWS%\\Media\\chimes.wav"},
                      ExpandCase{"%SYSTEMS%", "%SYSTEMS%", "%SYSTEMS%"}));

// The example of a Windows layout: the program in C:\Tools, then in D:\Clock.
TEST_F(WithFolders, WindowsProgramFolderRoundTripsAndMoves) {
    ResolvedFolders windows = LinuxLayout;
    windows.back() = "C:\\Tools";
    SetResolvedFolders(windows);
    const std::string stored = CollapseFolderMacros("C:\\Tools\\a.wav");
    EXPECT_EQ(stored, "%APPLICATION%\\a.wav");
    EXPECT_EQ(ExpandFolderMacros(stored), "C:\\Tools" + Rest("/a.wav"));
    windows.back() = "D:\\Clock";
    SetResolvedFolders(windows);
    EXPECT_EQ(ExpandFolderMacros(stored), "D:\\Clock" + Rest("/a.wav"));
}

TEST_F(WithFolders, EveryFolderRoundTrips) {
    for (const std::string& folder : LinuxLayout) {
        if (folder.empty()) continue;
        const std::string path = folder + Rest("/日本語/a.wav");
        const std::string stored = CollapseFolderMacros(path);
        EXPECT_TRUE(stored.starts_with('%')) << path;
        EXPECT_EQ(ExpandFolderMacros(stored), path);
    }
}

TEST_F(WithFolders, StoredPathFollowsTheProgramFolderWhenItMoves) {
    const std::string stored = CollapseFolderMacros("/opt/tools" + Rest("/a.wav"));
    EXPECT_EQ(stored, "%APPLICATION%" + Rest("/a.wav"));
    EXPECT_EQ(ExpandFolderMacros(stored), "/opt/tools" + Rest("/a.wav"));
    ResolvedFolders moved = LinuxLayout;
    moved.back() = "/srv/clock";
    SetResolvedFolders(moved);
    EXPECT_EQ(ExpandFolderMacros(stored), "/srv/clock" + Rest("/a.wav"));
}

TEST_F(WithFolders, ProgramUnderProgramFilesIsWrittenWithTheEarlierMacro) {
    ResolvedFolders installed = LinuxLayout;
    installed.back() = "/usr/local/kairos";
    SetResolvedFolders(installed);
    EXPECT_EQ(CollapseFolderMacros("/usr/local/kairos/a.wav"), "%PROGRAM_FILES%/kairos/a.wav");
    EXPECT_EQ(ExpandFolderMacros("%PROGRAM_FILES%/kairos/a.wav"), "/usr/local" + Rest("/kairos/a.wav"));
}

TEST_F(WithFolders, RestIsCutAt260BytesOnACharacterBoundary) {
    std::string rest = "/";
    for (int i = 0; i < 130; ++i) rest += "日";  // 391 bytes
    const std::string cut = rest.substr(0, 1 + 86 * 3);  // 259: the 87th character would end at 262
    EXPECT_EQ(ExpandFolderMacros("%APPLICATION%" + rest), "/opt/tools" + Rest(cut));
    EXPECT_EQ(CollapseFolderMacros("/opt/tools" + rest), "%APPLICATION%" + cut);
    const std::string ascii(300, 'a');
    EXPECT_EQ(ExpandFolderMacros("%APPLICATION%" + ascii), "/opt/tools" + ascii.substr(0, 260));
}

struct ResolveCase {
    const char* what;
    std::map<FolderId, std::string> available;
    ResolvedFolders expected;
};

void PrintTo(const ResolveCase& c, std::ostream* os) {
    *os << c.what;
}

class Resolve : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(Resolve, FallsBackAlongTheTable) {
    const auto& available = GetParam().available;
    const auto lookup = [&](FolderId id) {
        const auto found = available.find(id);
        return found == available.end() ? std::string() : found->second;
    };
    EXPECT_EQ(ResolveFolders(lookup), GetParam().expected) << GetParam().what;
}

const std::map<FolderId, std::string> AllFolders = {
    {FolderId::Desktop, "/h/Desktop"},   {FolderId::Documents, "/h/Docs"},
    {FolderId::Music, "/h/Music"},       {FolderId::RoamingAppData, "/h/.config"},
    {FolderId::LocalAppData, "/h/.local/share"}, {FolderId::ProgramFiles, "/usr/local"},
    {FolderId::Pictures, "/h/Pictures"}, {FolderId::Profile, "/h"},
    {FolderId::CommonProgramFiles, "/usr/share"}, {FolderId::Executable, "/opt/tools"},
};

std::map<FolderId, std::string> Without(std::initializer_list<FolderId> missing) {
    auto folders = AllFolders;
    for (const FolderId id : missing) folders.erase(id);
    return folders;
}

std::map<FolderId, std::string> With(std::initializer_list<std::pair<const FolderId, std::string>> changed) {
    auto folders = AllFolders;
    for (const auto& [id, path] : changed) folders[id] = path;
    return folders;
}

INSTANTIATE_TEST_SUITE_P(
    Chains, Resolve,
    ::testing::Values(
        ResolveCase{"all there", AllFolders,
                    {"/h/Docs", "/h/Music", "/h/.config", "/h/.local/share", "", "", "/usr/local", "/h/Pictures",
                     "/h", "/usr/share", "/opt/tools"}},
        ResolveCase{"music and pictures missing: documents",
                    Without({FolderId::Music, FolderId::Pictures}),
                    {"/h/Docs", "/h/Docs", "/h/.config", "/h/.local/share", "", "", "/usr/local", "/h/Docs", "/h",
                     "/usr/share", "/opt/tools"}},
        ResolveCase{"documents missing too: the desktop, through documents' own fallback",
                    Without({FolderId::Music, FolderId::Documents}),
                    {"/h/Desktop", "/h/Desktop", "/h/.config", "/h/.local/share", "", "", "/usr/local",
                     "/h/Pictures", "/h", "/usr/share", "/opt/tools"}},
        ResolveCase{"program folders missing: the empty system folders",
                    Without({FolderId::ProgramFiles, FolderId::CommonProgramFiles}),
                    {"/h/Docs", "/h/Music", "/h/.config", "/h/.local/share", "", "", "", "/h/Pictures", "/h", "",
                     "/opt/tools"}},
        ResolveCase{"nothing at all", {}, {}},
        ResolveCase{"trailing '/' removed, a root folder is empty",
                    With({{FolderId::Profile, "/h//"}, {FolderId::Executable, "/"}}),
                    {"/h/Docs", "/h/Music", "/h/.config", "/h/.local/share", "", "", "/usr/local", "/h/Pictures",
                     "/h", "/usr/share", ""}}));

TEST(ResolveFolders, LongFolderIsCutOnACharacterBoundary) {
    std::string folder = "/";
    for (int i = 0; i < 100; ++i) folder += "時";  // 301 bytes
    const ResolvedFolders folders = ResolveFolders([&](FolderId id) {
        return id == FolderId::Executable ? folder : std::string();
    });
    EXPECT_EQ(folders.back(), folder.substr(0, 1 + 86 * 3));
}

// The whole road from the environment: a fake home without a music folder.
TEST(ResolveFolderMacros, FillsTheTableFromTheSystem) {
    if (platform::NativePathStyle == platform::PathStyle::Windows)
        GTEST_SKIP() << "the shell's folders follow no environment variable";
    testing::TempDir home;
    testing::ScopedEnvironment env;
    env.Set("HOME", home.Path().string());
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR",
                             "XDG_MUSIC_DIR", "XDG_PICTURES_DIR"})
        env.Unset(name);
    std::filesystem::create_directories(home.Path() / "Documents");
    const ResolvedFolders saved = CurrentResolvedFolders();

    ResolveFolderMacros();
    const ResolvedFolders& folders = CurrentResolvedFolders();
    const std::string documents = home.File("Documents");
    EXPECT_EQ(folders[0], documents);
    EXPECT_EQ(folders[1], documents);  // no Music folder
    EXPECT_EQ(folders[2], documents);  // no ~/.config either
    EXPECT_EQ(folders[8], home.Path().string());
    EXPECT_EQ(folders[4], "");
    EXPECT_EQ(folders[10], platform::ExecutableFolder());
    EXPECT_EQ(ExpandFolderMacros("%MYMUSIC%/a.wav"), documents + "/a.wav");

    SetResolvedFolders(saved);
}

}  // namespace
}  // namespace kairos
