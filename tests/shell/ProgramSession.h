#pragma once
// The real program started on the X display in $DISPLAY, in a private user
// session, and watched from outside with xdotool and xwininfo.

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
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace kairos::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline constexpr auto PollStep = 50ms;
inline constexpr auto PatienceLimit = 20s;

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
        fs::create_directory(folder_.Path() / "config");
        for (char** entry = environ; *entry != nullptr; ++entry)
            if (!IsReplaced(*entry)) environment_.emplace_back(*entry);
        environment_.push_back("XDG_RUNTIME_DIR=" + (folder_.Path() / "run").string());
        environment_.push_back("HOME=" + (folder_.Path() / "home").string());
        environment_.push_back("XDG_CONFIG_HOME=" + (folder_.Path() / "config").string());
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
    Process(const fs::path& program, const std::vector<std::string>& environment,
            const std::vector<std::string>& arguments = {}) {
        const std::string path = program.string();
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
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
    // Waits for the end, however it came; false when it did not come in time.
    bool AwaitEnd() {
        for (auto waited = 0ms; Running() && waited < PatienceLimit; waited += PollStep)
            std::this_thread::sleep_for(PollStep);
        return !Running();
    }
    // The exit code, or nothing when it did not end normally in time.
    std::optional<int> WaitForExit() {
        if (!AwaitEnd() || !WIFEXITED(*status_)) return std::nullopt;
        return WEXITSTATUS(*status_);
    }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;  // the wait status once reaped
};

inline std::vector<std::string> OutputLines(const std::string& command) {
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

// Polls until the condition holds; the limit only keeps a broken test from hanging.
template <typename Condition>
bool Await(Condition condition) {
    for (auto waited = 0ms; waited < PatienceLimit; waited += PollStep) {
        if (condition()) return true;
        std::this_thread::sleep_for(PollStep);
    }
    return condition();
}

// Where an X window stands and whether it shows, as xwininfo tells it.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool viewable = false;
    std::string parent;
};

inline int FieldValue(const std::string& line) { return std::stoi(line.substr(line.rfind(':') + 1)); }

// Nothing once the window is gone.
inline std::optional<Geometry> WindowGeometry(const std::string& id) {
    const auto lines = OutputLines("xwininfo -children -stats -id " + id + " 2>/dev/null");
    if (lines.empty()) return std::nullopt;
    Geometry geometry;
    for (const std::string& line : lines) {
        if (line.find("Absolute upper-left X:") != std::string::npos) geometry.left = FieldValue(line);
        else if (line.find("Absolute upper-left Y:") != std::string::npos) geometry.top = FieldValue(line);
        else if (line.find("  Width:") != std::string::npos) geometry.width = FieldValue(line);
        else if (line.find("  Height:") != std::string::npos) geometry.height = FieldValue(line);
        else if (line.find("Map State:") != std::string::npos) geometry.viewable = line.ends_with("IsViewable");
        else if (line.find("Parent window id:") != std::string::npos) geometry.parent = line;
    }
    return geometry;
}

inline bool CommandExists(const std::string& name) { return !OutputLines("command -v " + name).empty(); }

struct Window {
    std::string id;
    std::string name;
};

inline std::vector<Window> VisibleWindows(pid_t pid) {
    std::vector<Window> windows;
    for (const std::string& id :
         OutputLines("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null")) {
        const auto names = OutputLines("xdotool getwindowname " + id + " 2>/dev/null");
        windows.push_back({id, names.empty() ? std::string() : names.front()});
    }
    return windows;
}

// The first visible window of the process, once it has one.
inline std::optional<Window> AwaitWindow(Process& process) {
    for (auto waited = 0ms; process.Running() && waited < PatienceLimit; waited += PollStep) {
        if (const auto windows = VisibleWindows(process.Id()); !windows.empty()) return windows.front();
        std::this_thread::sleep_for(PollStep);
    }
    return std::nullopt;
}

// Presses a key in the window, through XTEST after giving it the focus, until
// the process ends. "xdotool key --window" must not be used on a window that
// closes on the key: xdotool presses through XTEST while the window has the
// focus, finds it gone for the release and dies with BadWindow, and the key
// then stays down in the server, auto-repeating into every later window.
inline bool PressUntilEnded(Process& process, const std::string& windowId, const std::string& key) {
    for (auto waited = 0ms; process.Running() && waited < PatienceLimit; waited += 10 * PollStep) {
        OutputLines("xdotool windowfocus " + windowId + " key " + key + " 2>/dev/null");
        for (int step = 0; step < 10 && process.Running(); ++step) std::this_thread::sleep_for(PollStep);
    }
    return !process.Running();
}

// A bare X server (xvfb-run) resets when its last client leaves, and a copy
// started during the reset cannot connect; a connection held for the whole
// test keeps the server up between the copies.
class DisplayConnection {
public:
    // A server in the middle of its reset refuses for a moment; so does one
    // still starting.
    DisplayConnection() : connection_(xcb_connect(nullptr, nullptr)) {
        for (auto waited = 0ms; !Connected() && waited < 5s; waited += PollStep) {
            std::this_thread::sleep_for(PollStep);
            xcb_disconnect(connection_);
            connection_ = xcb_connect(nullptr, nullptr);
        }
    }
    ~DisplayConnection() { xcb_disconnect(connection_); }
    DisplayConnection(const DisplayConnection&) = delete;
    DisplayConnection& operator=(const DisplayConnection&) = delete;
    bool Connected() const { return xcb_connection_has_error(connection_) == 0; }

private:
    xcb_connection_t* connection_;
};

}  // namespace kairos::test
