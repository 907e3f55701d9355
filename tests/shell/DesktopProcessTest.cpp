// The real program on a desktop of its own: an X server, a window manager
// (openbox) and a notification area (trayer). What the desktop is told
// about the clock window, and where the window stands as the screen changes.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "shell/PrivateDisplay.h"
#include "shell/ProgramSession.h"

namespace {

using namespace kairos::test;

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

std::string Property(const std::string& window, const std::string& name) {
    return Joined(OutputLines("xprop -id " + window + " " + name + " 2>/dev/null"));
}


// The clock is the program's utility window; the icon is its other window
// on show, the one the notification area took in.
enum class Role { Clock, Icon };

std::optional<std::string> ShownWindow(pid_t pid, Role role) {
    for (const std::string& id : OutputLines("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null")) {
        const auto placement = WindowGeometry(id);
        if (!placement || !placement->viewable) continue;
        const bool utility = Property(id, "_NET_WM_WINDOW_TYPE").find("_UTILITY") != std::string::npos;
        if (utility == (role == Role::Clock)) return id;
    }
    return std::nullopt;
}

enum class Panel { None, OpenboxAndTrayer };

// A session on a private display of the given size; the clock starts over
// the settings file given, and the file is read back to see it unchanged.
class Desktop : public ::testing::Test {
protected:
    void Start(int width, int height, const std::string& settings, Panel panel) {
        for (const char* tool : {"Xvfb", "xdotool", "xwininfo", "xprop", "xrandr", "xrdb"})
            if (!CommandExists(tool)) GTEST_SKIP() << tool << " is missing: scripts/install-deps.sh";
        if (panel == Panel::OpenboxAndTrayer && (!CommandExists("openbox") || !CommandExists("trayer")))
            GTEST_SKIP() << "openbox or trayer is missing: scripts/install-deps.sh";
        display_.emplace(width, height);
        ASSERT_TRUE(display_->Running()) << "Xvfb did not start";
        connection_.emplace();
        session_.emplace();
        std::ofstream(session_->Folder() / "kairos.ini") << settings;
        program_ = session_->Folder() / "kairos";
        fs::copy_file(KAIROS_EXE, program_);
        if (panel == Panel::None) return;
        manager_.emplace(OutputLines("command -v openbox").front(), session_->Environment(),
                         std::vector<std::string>{"--sm-disable"});
        ASSERT_TRUE(Await([] { return !OutputLines("xprop -root _NET_SUPPORTING_WM_CHECK | grep window").empty(); }))
            << "openbox did not start";
        tray_.emplace(OutputLines("command -v trayer").front(), session_->Environment(),
                      std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                                               "--height", "24", "--transparent", "false"});
        ASSERT_TRUE(Await([] { return !OutputLines("xdotool search --class trayer 2>/dev/null").empty(); }));
    }

    void StartClock() { clock_.emplace(program_, session_->Environment()); }

    std::string AwaitClockWindow() {
        std::optional<std::string> window;
        Await([&] { return !clock_->Running() || (window = ShownWindow(clock_->Id(), Role::Clock)); });
        return window.value_or("");
    }

    std::string SettingsNow() const {
        std::ifstream file(session_->Folder() / "kairos.ini");
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::optional<PrivateDisplay> display_;
    std::optional<DisplayConnection> connection_;
    std::optional<Session> session_;
    std::optional<Process> manager_, tray_, clock_;
    fs::path program_;
};

bool HasStates(const std::string& window, std::initializer_list<const char*> states) {
    const std::string shown = Property(window, "_NET_WM_STATE");
    for (const char* state : states)
        if (shown.find(state) == std::string::npos) return false;
    return true;
}

// The window manager drops the states whenever the window is unmapped, and
// a change of the always-on-top band maps the window anew.
TEST_F(Desktop, ClockStaysOutOfTheTaskBarAndPagerThroughHidingAndTheTopmostBand) {
    Start(1280, 800, "[General]\nPoint=100,100\n", Panel::OpenboxAndTrayer);
    StartClock();
    const auto skipped = [this](std::initializer_list<const char*> more = {}) {
        const std::string window = AwaitClockWindow();
        if (!Await([&] { return HasStates(window, {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) &&
                                HasStates(window, more); }))
            return "window " + window + ": " + Property(window, "_NET_WM_STATE");
        return std::string();
    };
    EXPECT_EQ(skipped(), "") << "at start";

    OutputLines("xdotool windowfocus --sync " + AwaitClockWindow() + " key t 2>/dev/null");
    EXPECT_EQ(skipped({"_NET_WM_STATE_ABOVE"}), "") << "always on top";

    const auto icon = ShownWindow(clock_->Id(), Role::Icon);
    ASSERT_TRUE(icon) << "no icon in the notification area";
    const std::string clicked = "xdotool mousemove --window " + *icon + " 5 5 click 1 2>/dev/null";
    OutputLines(clicked);
    ASSERT_TRUE(Await([this] { return !ShownWindow(clock_->Id(), Role::Clock); })) << "the click left the clock shown";
    std::this_thread::sleep_for(600ms);  // apart by more than a double-click interval
    OutputLines(clicked);
    EXPECT_EQ(skipped({"_NET_WM_STATE_ABOVE"}), "") << "hidden and shown again";

    OutputLines("xdotool windowfocus --sync " + AwaitClockWindow() + " key t 2>/dev/null");
    ASSERT_TRUE(Await([this] { return !HasStates(AwaitClockWindow(), {"_NET_WM_STATE_ABOVE"}); }));
    EXPECT_EQ(skipped(), "") << "back from the topmost band";
}

// Where the window is expected: at a coordinate of the screen, or flush
// with the screen's right or bottom edge.
constexpr int FlushEnd = -1;

struct ScreenCase {
    const char* name;
    const char* settings;
    int dpi;                 // Xft.dpi; 0 leaves the default
    bool shrinks;            // the screen turns 1024 x 768 while the clock runs
    int shownWidth, shownHeight;
    int left, top;           // device pixels on the screen last shown
};

void PrintTo(const ScreenCase& c, std::ostream* out) { *out << c.name; }

class ScreenLayout : public Desktop, public ::testing::WithParamInterface<ScreenCase> {};

// At start and when the screen changes under it, a clock the screen does not
// wholly show moves to the nearest place it does; the file keeps the point.
TEST_P(ScreenLayout, ClockStandsWhollyOnTheScreen) {
    const ScreenCase& c = GetParam();
    Start(1280, 800, c.settings, Panel::None);
    if (c.dpi != 0) OutputLines("echo 'Xft.dpi: " + std::to_string(c.dpi) + "' | xrdb -merge");
    StartClock();
    const std::string window = AwaitClockWindow();
    ASSERT_FALSE(window.empty()) << "no clock window";
    if (c.shrinks) {
        ASSERT_TRUE(Await([&] {
            const Geometry now = WindowGeometry(window).value_or(Geometry{});
            return now.left == 1100 && now.top == 700;
        })) << "a clock the screen shows whole stays where it was put";
        OutputLines("xrandr --newmode small 63.5 1024 1072 1176 1328 768 771 775 798 && "
                    "xrandr --addmode screen small && xrandr --output screen --mode small");
    }
    const auto expected = [](int wanted, int screen, int size) { return wanted == FlushEnd ? screen - size : wanted; };
    Geometry seen;
    EXPECT_TRUE(Await([&] {
        seen = WindowGeometry(window).value_or(Geometry{});
        return seen.left == expected(c.left, c.shownWidth, seen.width) &&
               seen.top == expected(c.top, c.shownHeight, seen.height);
    })) << "at " << seen.left << "," << seen.top << " size " << seen.width << "x" << seen.height;
    EXPECT_EQ(SettingsNow(), c.settings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScreenLayout,
    ::testing::Values(ScreenCase{"SavedPastTheCorner", "[General]\nPoint=1250,790\n", 0, false, 1280, 800,
                                 FlushEnd, FlushEnd},
                      // Twice the pixels per point: the default point lies below a screen of 640 x 400 points.
                      ScreenCase{"DefaultPointOnADoubleDensityScreen", "", 192, false, 1280, 800, 2 * 184,
                                 FlushEnd},
                      ScreenCase{"ScreenShrinksUnderTheClock", "[General]\nPoint=1100,700\n", 0, true, 1024,
                                 768, FlushEnd, 700}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
