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
#include <memory>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"
#include "shell/Main.h"
#include "shell/QtTimerWindow.h"
#include "shell/Timeout.h"

namespace {

void BM_ClockTick(benchmark::State& state, const char* tipTemplate) {
    kairos::TTimerList timers(std::make_unique<kairos::QtTimerWindow>());
    kairos::TKairosDisplayForm form(kairos::platform::SystemClock(), timers);
    form.Timer->stop();
    form.TipTemplate = tipTemplate;
    for (auto _ : state) form.TimerTimer();
}
BENCHMARK_CAPTURE(BM_ClockTick, defaults, "");
BENCHMARK_CAPTURE(BM_ClockTick, uptime_tooltip, "%tch:%tcn:%tcs 稼働中%nyyyy/mm/dd(ddd)");

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
