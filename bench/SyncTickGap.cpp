// How long the time line stands still while the clock is corrected against a
// server that never answers: the longest gap between two visible changes of
// the line, on the real window under X, with the correction on its worker
// thread ("thread") and, in the same process, run the way the program used
// to run it, inside the tick on the window thread ("blocking").
//
// A change counts when the time line is painted with a text other than the
// one painted before: a text set but not yet drawn is nothing anyone sees.
// The server is a UDP socket on 127.0.0.1 that takes the requests and never
// replies, so each run waits out the whole receive timeout. The clock can
// never be set: the setter refuses and only counts.
//
// usage: sync_tick_gap [runs]   (3 by default; needs $DISPLAY)

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "SilentMedia.h"
#include "media/Media.h"
#include "nettime/ClockSync.h"
#include "nettime/SocketErrorText.h"
#include "platform/Clock.h"
#include "platform/ClockSetter.h"
#include "platform/UdpSocket.h"
#include "settings/IniStore.h"
#include "shell/ClockSyncRunner.h"
#include "shell/ClockLine.h"
#include "shell/ClockPanel.h"
#include "shell/FontSubstitutes.h"
#include "shell/ClockWindow.h"
#include "shell/QtTimerBackend.h"
#include "shell/DeadlineTimers.h"

namespace {

using Steady = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

// Start-up (fonts, the first layout and paints, the window being mapped) is
// not what is measured.
constexpr std::chrono::milliseconds Settle{1000};
// After a run: its outcome reaches the window and the status line is drawn.
constexpr std::chrono::milliseconds AfterRun{200};

// Nothing here may move the machine's clock; a call would also mean that
// something answered, which the measurement does not expect.
class RefusingSetter final : public kairos::platform::ClockSetter {
public:
    kairos::platform::ClockSetResult SetUtc(kairos::platform::UtcTime) override {
        ++calls;
        return kairos::platform::ClockSetResult::NoPermission;
    }
    std::atomic<int> calls{0};
};

// The moment of each paint of the time line that shows a new text.
class LineWatch final : public QObject {
public:
    explicit LineWatch(const kairos::ClockLine& line) : line_(line) { changes.reserve(1 << 16); }

    std::vector<Steady::time_point> changes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && line_.Text() != painted_) {
            changes.push_back(Steady::now());
            painted_ = line_.Text();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const kairos::ClockLine& line_;
    std::string painted_;
};

struct Span {
    Steady::time_point from;
    Steady::time_point to;
};

struct Figures {
    double longestMs = 0;
    double p99Ms = 0;
    std::size_t changes = 0;
};

// Every gap whose later change falls inside a span: the gap a blocked run
// opens starts before the run and ends after it.
Figures Measure(const std::vector<Steady::time_point>& changes, const std::vector<Span>& spans) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < changes.size(); ++i) {
        const bool inside = std::any_of(spans.begin(), spans.end(),
                                        [&](const Span& s) { return changes[i] >= s.from && changes[i] <= s.to; });
        if (inside) gaps.push_back(Milliseconds(changes[i] - changes[i - 1]).count());
    }
    Figures figures;
    figures.changes = gaps.size();
    if (gaps.empty()) return figures;
    std::sort(gaps.begin(), gaps.end());
    figures.longestMs = gaps.back();
    // Nearest rank.
    const auto rank = static_cast<std::size_t>(std::ceil(0.99 * static_cast<double>(gaps.size())));
    figures.p99Ms = gaps[std::max<std::size_t>(rank, 1) - 1];
    return figures;
}

// Runs the event loop for a while, ticks and paints included.
void Pump(std::chrono::milliseconds span) {
    QEventLoop loop;
    QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A settings file of its own for the window, removed at the end.
class TempFolder {
public:
    TempFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kairos-tick-gap-XXXXXX";
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    bool Made() const { return !path_.empty(); }
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The process's one timer list, for whatever reaches it through ProgramTimers().
class InstalledTimers {
public:
    explicit InstalledTimers(kairos::DeadlineTimers& list) { kairos::InstallDeadlineTimers(&list); }
    ~InstalledTimers() { kairos::InstallDeadlineTimers(nullptr); }
    InstalledTimers(const InstalledTimers&) = delete;
    InstalledTimers& operator=(const InstalledTimers&) = delete;
};

}  // namespace

int main(int argc, char* argv[]) {
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "sync_tick_gap: needs an X display ($DISPLAY)\n");
        return 2;
    }
    // Painting on a real X server is what is measured, never offscreen.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    kairos::LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    int runs = 3;
    if (argc > 2 || (argc == 2 && (runs = std::atoi(argv[1])) < 1)) {
        std::fprintf(stderr, "usage: sync_tick_gap [runs]   (a whole number, 3 by default)\n");
        return 2;
    }

    // The server that never answers: bound, so that requests are taken in
    // (nothing refuses them), and never read.
    kairos::platform::UdpSocket silentServer;
    if (silentServer.Open(kairos::platform::AddressFamily::V4) != 0 ||
        silentServer.Bind({kairos::platform::IpAddress::V4(127, 0, 0, 1), 0}) != 0 || !silentServer.LocalEndpoint()) {
        std::fprintf(stderr, "sync_tick_gap: no UDP socket on 127.0.0.1\n");
        return 1;
    }
    const std::string server = "127.0.0.1:" + std::to_string(silentServer.LocalEndpoint()->port);

    const TempFolder folder;
    if (!folder.Made()) {
        std::fprintf(stderr, "sync_tick_gap: no temporary folder\n");
        return 1;
    }
    const std::string settings = folder.File("kairos.ini");
    // Milliseconds in the time line, so that every 10 ms tick changes it.
    std::ofstream(settings, std::ios::binary) << "[General]\r\nTimeFormat=hh:nn:ss.zzz\r\nNTPAddress=" << server
                                              << "\r\nAutoNTP=0\r\n";

    RefusingSetter setter;
    // Only the address in the settings, which needs no lookup; any name
    // would be refused here rather than sent to a resolver.
    const kairos::HostLookupFunction noLookup = [](const std::string&) {
        return kairos::platform::LookupOutcome{{}, kairos::WSAHOST_NOT_FOUND};
    };
    const auto syncOnce = [&](const kairos::SyncRequest& request, const std::atomic<bool>& cancelled) {
        kairos::SyncServices services{.sntp = {.Lookup = noLookup, .Cancelled = &cancelled}, .setter = setter};
        return kairos::SyncClock(request, services);
    };

    // When the run of the moment ended and how, from whichever thread ran it.
    std::mutex endedMutex;
    std::optional<Steady::time_point> endedAt;
    std::optional<kairos::SyncOutcome> endedWith;
    QEventLoop* waiting = nullptr;
    QObject relay;
    const auto ended = [&](const kairos::SyncOutcome& outcome) {
        {
            const std::lock_guard lock(endedMutex);
            endedAt = Steady::now();
            endedWith = outcome;
        }
        QMetaObject::invokeMethod(&relay, [&] { if (waiting != nullptr) waiting->quit(); }, Qt::QueuedConnection);
    };

    const kairos::ClockSyncRunner::Job threadJob = [&](const kairos::SyncRequest& request,
                                                       const std::atomic<bool>& cancelled) {
        const kairos::SyncOutcome outcome = syncOnce(request, cancelled);
        ended(outcome);
        return outcome;
    };

    kairos::bench::SilentMedia media;
    kairos::DeadlineTimers timerList(std::make_unique<kairos::QtTimerBackend>());
    const InstalledTimers installed(timerList);
    kairos::InstallFontSubstitutes();

    int result = 0;
    {
        kairos::ClockWindow window({kairos::platform::SystemClock(), timerList,
                                    [settings] { return kairos::OpenIniFile(settings); }, media,
                                    folder.File("Alarm.ini"), threadJob});
        if (window.NTPAddress != server || window.TimeTemplate != "hh:nn:ss.zzz") {
            std::fprintf(stderr, "sync_tick_gap: the window did not take its settings\n");
            return 1;
        }
        LineWatch watch(*window.TimeLine);
        window.TimeLine->installEventFilter(&watch);

        // A run starts from the tick, after the window's own work, as the
        // periodic run does; the old program ran the whole correction there.
        enum class Mode { Thread, Blocking };
        Mode mode = Mode::Thread;
        bool due = false;
        Steady::time_point startedAt;
        const std::atomic<bool> neverCancelled{false};
        QObject::connect(window.Ticks, &kairos::TickDriver::Ticked, &window, [&] {
            if (!due) return;
            due = false;
            startedAt = Steady::now();
            if (mode == Mode::Thread) {
                window.SynchronizeClock(kairos::SyncReport::Report);
                // Refused (another run going): nothing would ever end the wait.
                if (!window.SyncRunner->Busy()) waiting->quit();
                return;
            }
            const kairos::SyncOutcome outcome =
                syncOnce({window.NTPAddress, kairos::StepLimit::Refuse, std::nullopt}, neverCancelled);
            window.ShowStatus(kairos::SyncStatusText(outcome.result), kairos::StatusSound::WithSound);
            ended(outcome);
        });

        window.show();
        Pump(Settle);
        if (watch.changes.size() < 10) {
            std::fprintf(stderr, "sync_tick_gap: the time line is not being painted (%zu changes in %lld ms)\n",
                         watch.changes.size(), static_cast<long long>(Settle.count()));
            return 1;
        }

        for (const Mode current : {Mode::Thread, Mode::Blocking}) {
            const char* name = current == Mode::Thread ? "thread" : "blocking";
            mode = current;
            std::vector<Span> spans;
            std::vector<double> runMs;
            for (int run = 0; run < runs; ++run) {
                {
                    const std::lock_guard lock(endedMutex);
                    endedAt.reset();
                    endedWith.reset();
                }
                QEventLoop loop;
                waiting = &loop;
                due = true;
                loop.exec();
                waiting = nullptr;
                Steady::time_point end;
                kairos::SyncOutcome outcome;
                {
                    const std::lock_guard lock(endedMutex);
                    if (!endedAt) {
                        std::fprintf(stderr, "sync_tick_gap: the window started no %s run\n", name);
                        return 1;
                    }
                    end = *endedAt;
                    outcome = *endedWith;
                }
                Pump(AfterRun);
                if (window.SyncRunner->Busy()) Pump(AfterRun);
                spans.push_back({startedAt, end + AfterRun});
                runMs.push_back(Milliseconds(end - startedAt).count());
                if (outcome.result != kairos::SyncResult::Failed || outcome.failure != kairos::SyncFailure::NoReply) {
                    std::fprintf(stderr, "sync_tick_gap: a %s run did not end without a reply\n", name);
                    result = 1;
                }
            }
            const Figures figures = Measure(watch.changes, spans);
            const auto [shortest, longest] = std::minmax_element(runMs.begin(), runMs.end());
            std::printf("%s: longest %.1f ms, p99 %.1f ms, changes %zu, runs %d of %.1f-%.1f ms\n", name,
                        figures.longestMs, figures.p99Ms, figures.changes, runs, *shortest, *longest);
            std::fflush(stdout);
        }
    }
    if (setter.calls != 0) {
        std::fprintf(stderr, "sync_tick_gap: something answered: the setter was asked %d times\n", setter.calls.load());
        result = 1;
    }
    return result;
}
