// The clock text runs three times per 10 ms tick, so it is measured against
// what a program would otherwise reach for: strftime and ICU's
// SimpleDateFormat, on the same moment and comparable output. Every
// benchmark also reports how many heap allocations one call makes.

#include <benchmark/benchmark.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>
#include <unicode/uclean.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <locale.h>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <time.h>

#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "platform/LocaleSource.h"

#include "AllocationCounter.h"


namespace {

extern "C" void* U_CALLCONV IcuAllocate(const void*, std::size_t size) {
    ++kairos::bench::AllocationCount();
    return std::malloc(size);
}

// A resize may move the block, which is heap work like any allocation.
extern "C" void* U_CALLCONV IcuReallocate(const void*, void* memory, std::size_t size) {
    if (size != 0) ++kairos::bench::AllocationCount();
    return std::realloc(memory, size);
}

extern "C" void U_CALLCONV IcuFree(const void*, void* memory) {
    std::free(memory);
}

// ICU takes a new allocator only before its first use.
void CountIcuAllocations() {
    UErrorCode status = U_ZERO_ERROR;
    u_setMemoryFunctions(nullptr, IcuAllocate, IcuReallocate, IcuFree, &status);
}

// The label shows what was formatted, with line breaks spelled out so the
// table stays one row per benchmark.
std::string Label(std::string_view format, std::string_view output) {
    std::string label(format);
    label += " -> ";
    for (const char c : output) {
        if (c == '\r') label += "\\r";
        else if (c == '\n') label += "\\n";
        else label += c;
    }
    return label;
}

// The allocations the timed loop makes, divided by its iterations, are the
// allocations of one call.
template <typename Call>
void MeasureCalls(benchmark::State& state, std::string_view format, Call call) {
    state.SetLabel(Label(format, call()));
    const std::uint64_t before = kairos::bench::AllocationCount();
    for (auto _ : state) {
        std::string text = call();
        benchmark::DoNotOptimize(text);
    }
    state.counters["allocs_per_call"] =
        benchmark::Counter(static_cast<double>(kairos::bench::AllocationCount() - before), benchmark::Counter::kAvgIterations);
}

// ---- The moment, the locale and the clock -----------------------------------

// Monday 2026-12-07 15:04:05.678, local time.
kairos::Moment FixedMoment() {
    static const kairos::Moment moment = *kairos::TryEncodeDateTime(2026, 12, 7, 15, 4, 5, 678);
    return moment;
}

const kairos::LocaleFormatSettings& JapaneseLocale() {
    static const kairos::LocaleFormatSettings locale =
        kairos::LoadLocaleFormatSettings(kairos::platform::MakeLocaleSource("ja_JP"));
    return locale;
}

// 25 h 1 min 1.234 s after boot, never moving.
class FixedClock final : public kairos::platform::Clock {
public:
    kairos::Moment Now() const override { return FixedMoment(); }
    std::uint32_t TickCount() const override { return 90'061'234; }
};

// ---- The clock text ---------------------------------------------------------

void FormatMomentBench(benchmark::State& state, std::string_view format) {
    const kairos::LocaleFormatSettings& locale = JapaneseLocale();
    const kairos::Moment moment = FixedMoment();
    MeasureCalls(state, format, [&] { return kairos::FormatMoment(format, moment, locale); });
}

void RenderTemplateBench(benchmark::State& state, std::string_view templateText) {
    const kairos::LocaleFormatSettings& locale = JapaneseLocale();
    const FixedClock clock;
    const kairos::Moment moment = FixedMoment();
    MeasureCalls(state, templateText, [&] { return kairos::RenderTemplate(templateText, moment, clock, locale); });
}

// ---- strftime ---------------------------------------------------------------

std::tm MomentAsTm() {
    std::tm tm = *kairos::ToCalendarFields(FixedMoment());
    // timegm fills in the day of the week and of the year without a time zone.
    timegm(&tm);
    return tm;
}

// A locale_t for strftime_l, so the process locale is left alone. glibc ships
// ja_JP only when it was generated on this machine.
struct StrftimeLocale {
    locale_t handle = nullptr;
    std::string name;
};

const StrftimeLocale& JapaneseOrC() {
    static const StrftimeLocale locale = [] {
        for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8"}) {
            if (locale_t handle = newlocale(LC_ALL_MASK, name, nullptr)) return StrftimeLocale{handle, name};
        }
        return StrftimeLocale{newlocale(LC_ALL_MASK, "C", nullptr), "C"};
    }();
    return locale;
}

void StrftimeBench(benchmark::State& state, const char* format) {
    const std::tm tm = MomentAsTm();
    const StrftimeLocale& locale = JapaneseOrC();
    // Made into a std::string like the clock's result, so both sides own their text.
    MeasureCalls(state, locale.name + ": " + format, [&] {
        char buffer[kairos::FormatMomentLimit];
        const std::size_t length = strftime_l(buffer, sizeof buffer, format, &tm, locale.handle);
        return std::string(buffer, length);
    });
}

// ---- ICU --------------------------------------------------------------------

// The clock's moment is local wall time already; formatting it as UTC keeps
// ICU from shifting it by the machine's time zone.
UDate MomentAsUDate() {
    constexpr double UnixEpochDay = 25569.0;  // 1970-01-01 counted from 1899-12-30
    return (FixedMoment() - UnixEpochDay) * static_cast<double>(kairos::MillisecondsPerDay);
}

void IcuBench(benchmark::State& state, const char* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat formatter(icu::UnicodeString::fromUTF8(pattern), icu::Locale("ja_JP"), status);
    if (U_FAILURE(status)) {
        state.SkipWithError(u_errorName(status));
        return;
    }
    formatter.setTimeZone(*icu::TimeZone::getGMT());
    const UDate instant = MomentAsUDate();
    MeasureCalls(state, pattern, [&] {
        icu::UnicodeString formatted;
        formatter.format(instant, formatted);
        std::string text;
        formatted.toUTF8String(text);
        return text;
    });
}

}  // namespace

int main(int argc, char** argv) {
    CountIcuAllocations();

    benchmark::RegisterBenchmark("FormatMoment/time", FormatMomentBench, "ampm h:nn:ss");
    benchmark::RegisterBenchmark("FormatMoment/date", FormatMomentBench, "yyyy年mm月dd日(ddd)");
    benchmark::RegisterBenchmark("FormatMoment/c", FormatMomentBench, "c");
    benchmark::RegisterBenchmark("RenderTemplate/time", RenderTemplateBench, "ampm h:nn:ss");
    benchmark::RegisterBenchmark("RenderTemplate/all_tokens", RenderTemplateBench,
                                 "%tch:%tcn:%tcs.%tcm %tcms%n yyyy/mm/dd");
    benchmark::RegisterBenchmark("strftime/time", StrftimeBench, "%p %I:%M:%S");
    benchmark::RegisterBenchmark("strftime/date", StrftimeBench, "%Y年%m月%d日(%a)");
    benchmark::RegisterBenchmark("ICU/time", IcuBench, "a h:mm:ss");
    benchmark::RegisterBenchmark("ICU/date", IcuBench, "y年MM月dd日(E)");

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
