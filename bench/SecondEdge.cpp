// How late each new second reaches the screen: two clock windows with the
// default templates side by side on one display, one ticking when something
// can change, one on the fixed 10 ms tick, each paint of a new time-line text
// stamped with the wall clock and measured from the start of its second.
//
// Usage: second_edge [seconds]   (300 by default)

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "SilentMedia.h"
#include "media/Media.h"
#include "platform/Clock.h"
#include "settings/IniStore.h"
#include "shell/ClockLine.h"
#include "shell/ClockWindow.h"
#include "shell/DeadlineTimers.h"
#include "shell/FontSubstitutes.h"
#include "shell/QtTimerBackend.h"

namespace {

using namespace std::chrono;

// The first seconds are start-up (fonts, first layout), not the clock's pace.
constexpr int SettleSeconds = 2;
constexpr double RuleMs = 20;

// Milliseconds from the start of the wall-clock second to each paint of a new text.
class LineWatch final : public QObject {
public:
    explicit LineWatch(const kairos::ClockLine& line) : line_(line) {}

    std::vector<double> lateness;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && line_.Text() != painted_) {
            const auto sinceEpoch = kairos::platform::UtcNow().time_since_epoch();
            lateness.push_back(duration<double, std::milli>(sinceEpoch - floor<seconds>(sinceEpoch)).count());
            painted_ = line_.Text();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const kairos::ClockLine& line_;
    std::string painted_;
};

void Report(const char* name, std::vector<double> lateness) {
    if (lateness.size() <= SettleSeconds) {
        std::printf("%s: too few seconds\n", name);
        return;
    }
    lateness.erase(lateness.begin(), lateness.begin() + SettleSeconds);
    std::sort(lateness.begin(), lateness.end());
    const auto within = std::count_if(lateness.begin(), lateness.end(), [](double ms) { return ms <= RuleMs; });
    const auto at = [&](double q) { return lateness[static_cast<std::size_t>(q * static_cast<double>(lateness.size() - 1))]; };
    std::printf("%s: seconds %zu, within %.0f ms %.2f %%, median %.1f ms, p99 %.1f ms, latest %.1f ms\n", name,
                lateness.size(), RuleMs, 100.0 * static_cast<double>(within) / static_cast<double>(lateness.size()),
                at(0.5), at(0.99), lateness.back());
}

}  // namespace

int main(int argc, char* argv[]) {
    const int runSeconds = argc > 1 ? std::atoi(argv[1]) : 300;
    QApplication app(argc, argv);
    kairos::InstallFontSubstitutes();
    kairos::bench::SilentMedia media;
    // No settings file: the default templates, "ampm h:nn:ss" and "yyyy/mm/dd".
    const auto noSettings = [] { return kairos::OpenIniFile("/nonexistent/kairos-second-edge.ini"); };

    kairos::DeadlineTimers plannedTimers(std::make_unique<kairos::QtTimerBackend>());
    kairos::DeadlineTimers fixedTimers(std::make_unique<kairos::QtTimerBackend>());
    kairos::ClockWindow planned({kairos::platform::SystemClock(), plannedTimers, noSettings, media,
                                 "/nonexistent/Alarm.ini", {}, kairos::TickScheduling::Planned});
    kairos::ClockWindow fixed({kairos::platform::SystemClock(), fixedTimers, noSettings, media,
                               "/nonexistent/Alarm.ini", {}, kairos::TickScheduling::EveryTenMs});
    LineWatch plannedWatch(*planned.TimeLine), fixedWatch(*fixed.TimeLine);
    planned.TimeLine->installEventFilter(&plannedWatch);
    fixed.TimeLine->installEventFilter(&fixedWatch);
    planned.move(0, 0);
    fixed.move(300, 0);
    planned.show();
    fixed.show();

    QTimer::singleShot(runSeconds * 1000, &app, &QApplication::quit);
    QApplication::exec();
    Report("planned", plannedWatch.lateness);
    Report("fixed", fixedWatch.lateness);
    return 0;
}
