#include "shell/SingleInstanceGuard.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/ProgramFile.h"
#include "platform/InstanceLock.h"

namespace kairos {
namespace {

using namespace std::string_view_literals;
using platform::InstanceLock;
using platform::InstanceLockPath;
using platform::LockOutcome;

struct TitleCase {
    std::string_view path;
    std::string_view title;
};

class InstanceTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(InstanceTitle, ComesFromTheFileName) {
    EXPECT_EQ(InstanceTitleFromProgramPath(GetParam().path), GetParam().title);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, InstanceTitle,
    ::testing::Values(TitleCase{"KAIROS.EXE", "Kairos"}, TitleCase{"/usr/local/bin/KAIROS.EXE", "Kairos"},
                      TitleCase{"/opt/kairos/kairos", "kairos"},        // the first letter is kept as it is
                      TitleCase{"/opt/v1.2/ClockB", "Clockb"},          // a dot in a folder does not count
                      TitleCase{"kairos.tar.gz", "kairos"},             // cut at the first dot
                      TitleCase{"/x/MiXeD-Case_1.bin", "Mixed-case_1"},
                      TitleCase{"/x/ÉCLAIR.exe", "Éclair"},              // multi-byte first character
                      TitleCase{"/x/時計KAIROS", "時計kairos"},
                      TitleCase{"/x/AÀÉ", "AÀÉ"},                        // only ASCII letters change
                      TitleCase{"/x/.hidden", ""}, TitleCase{"/x/", ""}, TitleCase{"", ""}));

TEST(InstanceMutexName, IsTheFormatWithoutBackslashes) {
    EXPECT_EQ(BuildInstanceMutexName("Kairos"), "Aoba Kairos MutexObject");
    EXPECT_EQ(BuildInstanceMutexName("\\Kai\\ros\\"), "Aoba Kairos MutexObject");
    EXPECT_EQ(BuildInstanceMutexName(""), "Aoba  MutexObject");
    EXPECT_EQ(BuildInstanceMutexName("表示"), "Aoba 表示 MutexObject");
}

TEST(InstanceMutexName, IsCutAt260BytesAfterTheBackslashesAreGone) {
    const std::string name = BuildInstanceMutexName(std::string(50, '\\') + std::string(300, 'x'));
    EXPECT_EQ(name, "Aoba " + std::string(255, 'x'));
}

TEST(InstanceMutexName, CutNeverSplitsACharacter) {
    std::string title = "a";
    for (int i = 0; i < 90; ++i) title += "年";
    const std::string name = BuildInstanceMutexName(title);
    // "Aoba a" is 6 bytes; 84 whole characters of 3 bytes reach 258.
    EXPECT_EQ(name.size(), 258u);
    EXPECT_EQ(name.substr(name.size() - 3), "年");
}

// Every test gets its own session folder, so nothing touches the user's own
// locks and the running clock is never disturbed.
class SessionLock : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "kairos-lock-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        SaveVariable("XDG_RUNTIME_DIR", savedRuntime_);
        SaveVariable("TMPDIR", savedTemp_);
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    }

    void TearDown() override {
        RestoreVariable("XDG_RUNTIME_DIR", savedRuntime_);
        RestoreVariable("TMPDIR", savedTemp_);
        std::filesystem::remove_all(folder_);
    }

    static void SaveVariable(const char* name, std::optional<std::string>& saved) {
        if (const char* value = std::getenv(name)) saved = value;
    }
    static void RestoreVariable(const char* name, const std::optional<std::string>& saved) {
        if (saved) setenv(name, saved->c_str(), 1);
        else unsetenv(name);
    }

    std::filesystem::path folder_;
    std::optional<std::string> savedRuntime_;
    std::optional<std::string> savedTemp_;
};

TEST_F(SessionLock, IsHeldUntilItsHolderIsDestroyed) {
    std::optional<InstanceLock> first(std::in_place, "Aoba Kairos MutexObject");
    EXPECT_EQ(first->Outcome(), LockOutcome::Acquired);
    EXPECT_EQ(InstanceLock("Aoba Kairos MutexObject").Outcome(), LockOutcome::HeldElsewhere);
    EXPECT_EQ(InstanceLock("Aoba Clockb MutexObject").Outcome(), LockOutcome::Acquired);

    InstanceLock moved(std::move(*first));
    first.reset();
    EXPECT_EQ(InstanceLock("Aoba Kairos MutexObject").Outcome(), LockOutcome::HeldElsewhere);
    moved = InstanceLock("other");
    EXPECT_EQ(InstanceLock("Aoba Kairos MutexObject").Outcome(), LockOutcome::Acquired);
    EXPECT_TRUE(std::filesystem::exists(InstanceLockPath("Aoba Kairos MutexObject")));
}

struct Pipe {
    Pipe() {
        if (pipe(ends) != 0) ends[0] = ends[1] = -1;
    }
    ~Pipe() {
        for (const int end : ends)
            if (end >= 0) close(end);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    int ends[2];
};

TEST_F(SessionLock, DiesWithAKilledHolder) {
    const Pipe ready;
    ASSERT_GE(ready.ends[0], 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const InstanceLock lock("held by a child");
        const char byte = lock.Outcome() == LockOutcome::Acquired ? 'y' : 'n';
        if (write(ready.ends[1], &byte, 1) != 1) _exit(1);
        for (;;) pause();
    }
    char byte = 0;
    EXPECT_EQ(read(ready.ends[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    EXPECT_EQ(InstanceLock("held by a child").Outcome(), LockOutcome::HeldElsewhere);
    kill(child, SIGKILL);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);
    EXPECT_EQ(InstanceLock("held by a child").Outcome(), LockOutcome::Acquired);
}

// Names that differ only in characters a file name cannot hold, or past the
// length a file name can have, still lock separately, inside the session folder.
TEST_F(SessionLock, EveryNameHasItsOwnFile) {
    const std::string longName(260, 'x');
    const std::string names[] = {"a/b", "a%2Fb", "a_b", std::string("a\0b"sv), "a", "a%00b", "~", "%7E", "..", "",
                                 longName + "1", longName + "2"};
    std::vector<InstanceLock> locks;
    for (const std::string& name : names) {
        const std::filesystem::path path = InstanceLockPath(name);
        EXPECT_EQ(path.parent_path(), folder_) << name;
        EXPECT_LE(path.filename().string().size(), 255u) << name;
        locks.emplace_back(name);
        EXPECT_EQ(locks.back().Outcome(), LockOutcome::Acquired) << name;
    }
}

TEST_F(SessionLock, FallsBackToTheTempFolderWithTheUserId) {
    setenv("TMPDIR", folder_.c_str(), 1);
    const std::string regularFile = (folder_ / "file").string();
    std::ofstream(regularFile).put('x');
    const std::string expected = (folder_ / (std::to_string(geteuid()) + "-name.lock")).string();
    for (const char* runtime : {"relative/run", "/nonexistent/run", regularFile.c_str(), ""}) {
        setenv("XDG_RUNTIME_DIR", runtime, 1);
        EXPECT_EQ(InstanceLockPath("name"), expected) << runtime;
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(InstanceLockPath("name"), expected);
    const InstanceLock lock("name");
    EXPECT_EQ(lock.Outcome(), LockOutcome::Acquired);
    EXPECT_EQ(InstanceLock("name").Outcome(), LockOutcome::HeldElsewhere);
}

// A symbolic link planted at the lock's place is not followed, and a lock
// that cannot be had lets the program run as the first copy.
TEST_F(SessionLock, PlantedLinkIsNotFollowed) {
    const std::string name = BuildInstanceMutexName("Kairos");
    std::filesystem::create_symlink(folder_ / "target", InstanceLockPath(name));
    EXPECT_EQ(InstanceLock(name).Outcome(), LockOutcome::Unavailable);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "target"));
    EXPECT_FALSE(SingleInstanceGuard("/opt/KAIROS.EXE").AlreadyRunning());
}

TEST_F(SessionLock, GuardsCopiesOfTheSameTitle) {
    const SingleInstanceGuard first("/opt/kairos/KAIROS.EXE");
    EXPECT_EQ(first.InstanceMutexName(), "Aoba Kairos MutexObject");
    EXPECT_FALSE(first.AlreadyRunning());
    EXPECT_TRUE(SingleInstanceGuard("/home/user/Kairos").AlreadyRunning());
    EXPECT_FALSE(SingleInstanceGuard("/opt/kairos/clockb").AlreadyRunning());
}

TEST(ExecutablePath, NamesThisProgram) {
    const std::filesystem::path path = platform::ExecutablePath();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "shell_core_tests");
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
}

}  // namespace
}  // namespace kairos
