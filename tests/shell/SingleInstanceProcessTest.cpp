// The real program started side by side on a real X display: the guard, the
// notice of a second copy and the release of the lock are seen from outside.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "shell/ProgramSession.h"

namespace {

using namespace kairos::test;

const std::string NoticeCaption = "情報";

// A copy that took the lock shows its clock and keeps running.
void ExpectRunsAsFirstCopy(Process& process) {
    const auto window = AwaitWindow(process);
    ASSERT_TRUE(window) << "no window from process " << process.Id();
    EXPECT_NE(window->name, NoticeCaption);
    EXPECT_TRUE(process.Running());
}

// A second copy shows the notice and ends normally once it is answered.
void ExpectNoticeAndExit(Process& process) {
    const auto window = AwaitWindow(process);
    ASSERT_TRUE(window) << "no window from process " << process.Id();
    EXPECT_EQ(window->name, NoticeCaption);
    EXPECT_TRUE(PressUntilEnded(process, window->id, "Return"));
    EXPECT_EQ(process.WaitForExit(), 0);
}

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run -a)";
        ASSERT_TRUE(CommandExists("xdotool")) << "xdotool is missing: scripts/install-deps.sh";
        display_.emplace();
        ASSERT_TRUE(display_->Connected()) << "cannot connect to " << std::getenv("DISPLAY");
    }

    std::optional<DisplayConnection> display_;
    Session session_;
    const fs::path program_ = KAIROS_EXE;
};

TEST_F(SingleInstance, SecondStartShowsTheNoticeAndEnds) {
    Process first(program_, session_.Environment());
    ExpectRunsAsFirstCopy(first);
    Process second(program_, session_.Environment());
    ExpectNoticeAndExit(second);
    EXPECT_TRUE(first.Running());
}

TEST_F(SingleInstance, EndedFirstCopyReleasesTheLock) {
    Process first(program_, session_.Environment());
    ExpectRunsAsFirstCopy(first);
    first.Signal(SIGTERM);
    first.WaitForExit();
    ASSERT_FALSE(first.Running());
    Process next(program_, session_.Environment());
    ExpectRunsAsFirstCopy(next);
}

TEST_F(SingleInstance, KilledFirstCopyDoesNotBlock) {
    Process first(program_, session_.Environment());
    ExpectRunsAsFirstCopy(first);
    first.Signal(SIGKILL);
    first.WaitForExit();
    ASSERT_FALSE(first.Running());
    Process next(program_, session_.Environment());
    ExpectRunsAsFirstCopy(next);
}

TEST_F(SingleInstance, CopyUnderAnotherNameRunsSideBySide) {
    const fs::path other = session_.Folder() / "clockb";
    fs::copy_file(program_, other);
    fs::permissions(other, fs::perms::owner_all);
    Process first(program_, session_.Environment());
    ExpectRunsAsFirstCopy(first);
    Process second(other, session_.Environment());
    ExpectRunsAsFirstCopy(second);
    EXPECT_TRUE(first.Running());
}

}  // namespace
