// The real program started side by side on a real X display: the guard, the
// notice of a second copy and the release of the lock are seen from outside.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto PollStep = 50ms;
constexpr auto PatienceLimit = 20s;
const std::string NoticeCaption = "情報";

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kairos-session-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// One user session: its own runtime folder and home, shared by the copies
// started in it, so they meet each other's lock and nobody else's.
class Session {
public:
    Session() {
        fs::create_directory(folder_.Path() / "run");
        fs::permissions(folder_.Path() / "run", fs::perms::owner_all);
        fs::create_directory(folder_.Path() / "home");
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (!IsReplaced(*entry)) environment_.emplace_back(*entry);
        environment_.push_back("XDG_RUNTIME_DIR=" + (folder_.Path() / "run").string());
        environment_.push_back("HOME=" + (folder_.Path() / "home").string());
        environment_.emplace_back("QT_QPA_PLATFORM=xcb");
    }
    const std::vector<std::string>& Environment() const { return environment_; }
    fs::path Folder() const { return folder_.Path(); }

private:
    // The user's own folders and session bus stay out of reach; the display stays.
    static bool IsReplaced(std::string_view entry) {
        const std::string_view name = entry.substr(0, entry.find('='));
        return name == "HOME" || name == "QT_QPA_PLATFORM" || name == "WAYLAND_DISPLAY" ||
               name == "DBUS_SESSION_BUS_ADDRESS" || (name.starts_with("XDG_") && name.ends_with("_HOME")) ||
               name == "XDG_RUNTIME_DIR";
    }

    TempFolder folder_;
    std::vector<std::string> environment_;
};

// A started program; one still running when the test ends is killed and reaped.
class Process {
public:
    Process(const fs::path& program, const std::vector<std::string>& environment) {
        const std::string path = program.string();
        std::vector<char*> argv{const_cast<char*>(path.c_str()), nullptr};
        std::vector<char*> envp;
        for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    }
    ~Process() {
        if (!Running()) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t Id() const { return pid_; }
    bool Running() {
        if (pid_ <= 0 || status_) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) status_ = status;
        return !status_;
    }
    void Signal(int signal) { kill(pid_, signal); }
    // The exit code, or nothing when it did not end normally in time.
    std::optional<int> WaitForExit() {
        for (auto waited = 0ms; Running() && waited < PatienceLimit; waited += PollStep)
            std::this_thread::sleep_for(PollStep);
        if (Running() || !WIFEXITED(*status_)) return std::nullopt;
        return WEXITSTATUS(*status_);
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;  // the wait status once reaped
};

std::vector<std::string> OutputLines(const std::string& command) {
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::vector<std::string> lines;
    if (!pipe) return lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        std::string line(buffer);
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

struct Window {
    std::string id;
    std::string name;
};

std::vector<Window> VisibleWindows(pid_t pid) {
    std::vector<Window> windows;
    for (const std::string& id :
         OutputLines("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null")) {
        const auto names = OutputLines("xdotool getwindowname " + id + " 2>/dev/null");
        windows.push_back({id, names.empty() ? std::string() : names.front()});
    }
    return windows;
}

// The first visible window of the process, once it has one.
std::optional<Window> AwaitWindow(Process& process) {
    for (auto waited = 0ms; process.Running() && waited < PatienceLimit; waited += PollStep) {
        if (const auto windows = VisibleWindows(process.Id()); !windows.empty()) return windows.front();
        std::this_thread::sleep_for(PollStep);
    }
    return std::nullopt;
}

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
    OutputLines("xdotool key --window " + window->id + " Return 2>/dev/null");
    EXPECT_EQ(process.WaitForExit(), 0);
}

// A bare X server (xvfb-run) resets when its last client leaves, and a copy
// started during the reset cannot connect; a connection held for the whole
// test keeps the server up between the copies.
class DisplayConnection {
public:
    DisplayConnection() : connection_(xcb_connect(nullptr, nullptr)) {}
    ~DisplayConnection() { xcb_disconnect(connection_); }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }

private:
    xcb_connection_t* connection_;
};

class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run -a)";
        ASSERT_FALSE(OutputLines("command -v xdotool").empty()) << "xdotool is missing: scripts/install-deps.sh";
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
