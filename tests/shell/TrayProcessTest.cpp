// The real program beside a real XEmbed notification area (trayer): the icon
// is embedded, its click hides and shows the clock, and it goes with the program.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/ProgramSession.h"

namespace {

using namespace kairos::test;

// Where the clock stands, clear of the notification area along the top edge.
constexpr int ClockLeft = 100;
constexpr int ClockTop = 100;

bool IsTopLevel(const Geometry& geometry) { return geometry.parent.find("(the root window)") != std::string::npos; }

// The program's windows both carry its name; the icon is the one the
// notification area took in, the clock the one left on the root window.
struct ProgramWindows {
    std::optional<std::string> clock;
    std::optional<std::string> icon;
};

ProgramWindows FindWindows(pid_t pid) {
    ProgramWindows found;
    for (const std::string& id : OutputLines("xdotool search --pid " + std::to_string(pid) + " 2>/dev/null")) {
        const auto geometry = WindowGeometry(id);
        if (!geometry) continue;
        if (!IsTopLevel(*geometry) && geometry->viewable) found.icon = id;
        else if (IsTopLevel(*geometry) && geometry->left == ClockLeft && geometry->top == ClockTop) found.clock = id;
    }
    return found;
}

bool IsViewable(const std::string& id) {
    const auto geometry = WindowGeometry(id);
    return geometry && geometry->viewable;
}

void ClickCentre(const std::string& id) {
    const auto geometry = WindowGeometry(id);
    ASSERT_TRUE(geometry) << "window " << id << " is gone";
    OutputLines("xdotool mousemove " + std::to_string(geometry->left + geometry->width / 2) + " " +
                std::to_string(geometry->top + geometry->height / 2) + " click 1 2>/dev/null");
}

// Share of the icon's pixels in the blue of the face's rim: an icon the
// program failed to load leaves the area's plain background.
double RimColourShare(const std::string& id) {
    const auto pixels = OutputLines("import -window " + id + " -depth 8 txt:- 2>/dev/null");
    int total = 0;
    int rim = 0;
    for (const std::string& line : pixels) {
        const std::size_t hash = line.find('#');
        if (line.starts_with("#") || hash == std::string::npos || line.size() < hash + 7) continue;
        ++total;
        const int red = std::stoi(line.substr(hash + 1, 2), nullptr, 16);
        const int green = std::stoi(line.substr(hash + 3, 2), nullptr, 16);
        const int blue = std::stoi(line.substr(hash + 5, 2), nullptr, 16);
        if (blue > 100 && blue > red + 60 && blue > green + 30) ++rim;
    }
    return total == 0 ? 0.0 : static_cast<double>(rim) / total;
}

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "needs an X display (xvfb-run -a)";
        for (const char* tool : {"trayer", "xdotool", "xwininfo", "import"})
            if (!CommandExists(tool)) GTEST_SKIP() << tool << " is missing: scripts/install-deps.sh";
        display_.emplace();
        ASSERT_TRUE(display_->Connected()) << "cannot connect to " << std::getenv("DISPLAY");
        // A copy of its own keeps its settings beside it, out of the build folder.
        fs::copy_file(KAIROS_EXE, program_);
        fs::permissions(program_, fs::perms::owner_all);
        std::ofstream(session_.Folder() / "kairos.ini")
            << "[General]\nPoint=" << ClockLeft << ',' << ClockTop << '\n';
        tray_.emplace(OutputLines("command -v trayer").front(), session_.Environment(),
                      std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                                               "--height", "24", "--transparent", "false"});
        ASSERT_TRUE(Await([] { return !OutputLines("xdotool search --class trayer 2>/dev/null").empty(); }))
            << "trayer shows no window";
    }

    // Both windows, once the clock is up and its icon embedded.
    ProgramWindows AwaitEmbedded(Process& clock) {
        ProgramWindows windows;
        Await([&] {
            windows = FindWindows(clock.Id());
            return !clock.Running() || (windows.clock && windows.icon);
        });
        return windows;
    }

    std::optional<DisplayConnection> display_;
    Session session_;
    const fs::path program_ = session_.Folder() / "kairos";
    std::optional<Process> tray_;
};

TEST_F(TrayIcon, ClickHidesAndShowsTheClockAndTheIconGoesWithTheProgram) {
    auto clock = std::make_unique<Process>(program_, session_.Environment());
    const ProgramWindows windows = AwaitEmbedded(*clock);
    ASSERT_TRUE(windows.clock) << "no clock window at " << ClockLeft << ',' << ClockTop;
    ASSERT_TRUE(windows.icon) << "no icon embedded in the notification area";
    const std::string icon = *windows.icon;
    EXPECT_GT(RimColourShare(icon), 0.1) << "the icon does not show the clock face";

    const fs::path shot = fs::path(KAIROS_BUILD_DIR) / "tray-icon-and-clock.png";
    OutputLines("import -window root " + shot.string() + " 2>/dev/null");
    std::printf("screenshot: %s\n", shot.c_str());

    ClickCentre(icon);
    EXPECT_TRUE(Await([&] { return !IsViewable(*windows.clock); })) << "the click left the clock shown";
    // Apart by more than a double-click interval: two single clicks.
    std::this_thread::sleep_for(600ms);
    ClickCentre(icon);
    EXPECT_TRUE(Await([&] { return IsViewable(*windows.clock); })) << "the second click left the clock hidden";

    clock->Signal(SIGTERM);
    ASSERT_TRUE(clock->AwaitEnd());
    EXPECT_TRUE(Await([&] { return !WindowGeometry(icon); })) << "the icon outlived the program";
    EXPECT_TRUE(tray_->Running());

    clock.reset();
    clock = std::make_unique<Process>(program_, session_.Environment());
    const ProgramWindows again = AwaitEmbedded(*clock);
    EXPECT_TRUE(again.clock) << "no clock window on the second start";
    EXPECT_TRUE(again.icon) << "no icon on the second start";
}

}  // namespace
