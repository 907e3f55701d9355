// One whole tick of the clock window (three template renders, the label and
// tooltip updates), against the tick of the smallest 10 ms Qt clock: a label
// set from QTime. The window is not shown, so no repaint is measured; the
// repaints happen at most once a second either way.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "AllocationCounter.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "media/Media.h"
#include "settings/IniStore.h"
#include "shell/ClockWindow.h"
#include "shell/QtTimerBackend.h"
#include "shell/DeadlineTimers.h"

namespace {

void BM_ClockTick(benchmark::State& state, const char* tipTemplate) {
    kairos::DeadlineTimers timers(std::make_unique<kairos::QtTimerBackend>());
    // No settings file: the clock's defaults.
    kairos::ClockWindow window({kairos::platform::SystemClock(), timers,
                                [] { return kairos::OpenIniFile("/nonexistent/kairos-bench.ini"); },
                                kairos::SystemMedia(), "/nonexistent/kairos-bench-alarms.ini", {}});
    window.Ticks->Stop();
    window.TipTemplate = tipTemplate;
    for (auto _ : state) window.Tick();
}
BENCHMARK_CAPTURE(BM_ClockTick, defaults, "");
BENCHMARK_CAPTURE(BM_ClockTick, uptime_tooltip, "%tch:%tcn:%tcs 稼働中%nyyyy/mm/dd(ddd)");

// A whole settings file read from disk and applied: fonts, colours, shadows,
// opacity, schedule and the window size measured from the samples.
void BM_LoadSettings(benchmark::State& state) {
    char folder[] = "/tmp/kairos-bench-XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string file = std::string(folder) + "/kairos.ini";
    std::ofstream(file, std::ios::binary)
        << "[General]\r\nDateFormat=yyyy年m月d日(ddd)\r\nTimeFormat=ampm h:nn:ss\r\nToolTipFormat=%tch時間%tcn分 稼働中\r\n"
           "NTPAddress=ntp.nict.jp\r\nTransparency=230\r\nBackColor=clNavy\r\nBGImage=\r\nAutoNTP=1\r\n"
           "AutoNTPInterval=60\r\nPoint=100,100\r\nTopMostMode=0\r\n\r\n[Font]\r\nFontName=IPAPGothic\r\n"
           "DateSize=14\r\nTimeSize=24\r\nDateShadow=1\r\nTimeShadow=1\r\nDateColor=clWhite\r\n"
           "TimeColor=clYellow\r\nDateShadowColor=clBlack\r\nTimeShadowColor=clBlack\r\n\r\n"
           "[InformationNote]\r\nPlay=1\r\nOnBeep=0\r\nPath=%APPLICATION%/note.wav\r\n\r\n"
           "[TimeSignal]\r\nPlayJustTime=1\r\nPlayHalfTime=1\r\nTimesLoop=1\r\nPath=\r\n\r\n"
           "[Alarm]\r\nAlarmToBeep=0\r\nPath=\r\n\r\n";
    kairos::DeadlineTimers timers(std::make_unique<kairos::QtTimerBackend>());
    kairos::ClockWindow window({kairos::platform::SystemClock(), timers, [file] { return kairos::OpenIniFile(file); },
                                kairos::SystemMedia(), std::string(folder) + "/Alarm.ini", {}});
    window.Ticks->Stop();
    for (auto _ : state) window.ReloadSettings();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadSettings)->Unit(benchmark::kMicrosecond);

// The alarm check with 10,000 alarms none of which is due: what every 10 ms
// tick pays between firings. It reads the clock afresh for each alarm.
void BM_CheckAlarms(benchmark::State& state) {
    kairos::DeadlineTimers timers(std::make_unique<kairos::QtTimerBackend>());
    kairos::ClockWindow window({kairos::platform::SystemClock(), timers,
                                [] { return kairos::OpenIniFile("/nonexistent/kairos-bench.ini"); },
                                kairos::SystemMedia(), "/nonexistent/kairos-bench-alarms.ini", {}});
    window.Ticks->Stop();
    const kairos::DecodedTime now = kairos::DecodeTime(kairos::platform::SystemClock().Now());
    const int farMinute = (now.hour * 60 + now.minute + 720) % 1440;  // half a day away
    for (int i = 0; i < 10'000; ++i) {
        auto alarm = std::make_unique<kairos::Alarm>();
        alarm->Kind = i % 2 == 0 ? kairos::AlarmKind::Weekly : kairos::AlarmKind::OnDate;
        alarm->Weeks = 0x7F;
        alarm->Date = kairos::platform::SystemClock().Now();
        alarm->Time = *kairos::TryEncodeTime(farMinute / 60, farMinute % 60, 0, 0);
        alarm->Snooze = kairos::SnoozeInterval::FifteenMinutes;
        window.Alarms->Add(std::move(alarm));
    }
    const std::uint64_t before = kairos::bench::AllocationCount();
    for (auto _ : state) window.CheckAlarms();
    state.counters["allocs_per_call"] = benchmark::Counter(
        static_cast<double>(kairos::bench::AllocationCount() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CheckAlarms)->Unit(benchmark::kMicrosecond);

void BM_MinimalQtTick(benchmark::State& state) {
    QLabel label;
    for (auto _ : state) label.setText(QTime::currentTime().toString(QStringLiteral("h:mm:ss")));
}
BENCHMARK(BM_MinimalQtTick);

}  // namespace

int main(int argc, char** argv) {
    // No display is needed to measure a tick.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    kairos::LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
