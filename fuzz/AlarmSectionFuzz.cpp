// Any bytes as the content of an alarm file: every section either raises
// the conversion error with its message, or gives an alarm that, written
// and read back, is the same alarm and is written the same way again. A
// date alarm is due at its own time on its own day.
//
// Input: the file's bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "alarms/Alarm.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"
#include "platform/Moment.h"
#include "platform/TextEncoding.h"
#include "settings/IniStore.h"

namespace {

// Bounds the work per input; every section follows the same rules.
constexpr std::size_t MaxSectionsChecked = 64;
constexpr std::string_view InvalidElement = " はプロパティの要素としては不正です。";
constexpr std::string_view InvalidDate = " は正しい日付ではありません";
constexpr std::string_view InvalidTime = " は正しい時刻ではありません";

// Monday 7 December 2026, 15:04:05.678: the defaults must not depend on
// when the fuzzer runs.
class FixedClock final : public kairos::platform::Clock {
public:
    kairos::Moment Now() const override { return now_; }
    std::uint32_t TickCount() const override { return 0; }

private:
    kairos::Moment now_ = *kairos::TryEncodeDateTime(2026, 12, 7, 15, 4, 5, 678);
};

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "AlarmSection: %s\n  %.*s\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

kairos::IniStore Parsed(std::string_view bytes) {
    kairos::IniStore store("Alarm.ini", kairos::IniLoading::Empty);
    store.SetFileContent(bytes);
    return store;
}

// Four-digit years: the two-digit default picture would move dates between
// centuries and hide real faults behind that one.
void UseFixedLocale() {
    kairos::LocaleFormatSettings locale;
    locale.ShortDatePicture = "yyyy/MM/dd";
    locale.LongTimePicture = "h:mm:ss";
    kairos::SetCurrentLocaleFormatSettings(locale);
}

std::string Written(const kairos::Alarm& alarm) {
    kairos::IniStore store("Alarm.ini", kairos::IniLoading::Empty);
    alarm.SaveToIni(store, "Alarm1");
    return store.FileContent();
}

std::int64_t SecondOfDay(kairos::Moment moment) {
    return kairos::SplitMoment(moment).millisecondOfDay / 1000;
}

// The time is written as a time of day to the second; everything else whole.
bool SameAlarm(const kairos::Alarm& a, const kairos::Alarm& b) {
    return a.Kind == b.Kind && a.Date == b.Date && SecondOfDay(a.Time) == SecondOfDay(b.Time) &&
           a.Weeks == b.Weeks && a.Snooze == b.Snooze && a.Message == b.Message && a.Command == b.Command &&
           a.RemoveOnExec == b.RemoveOnExec;
}

void CheckSection(const kairos::IniStore& file, std::size_t section, const FixedClock& clock) {
    std::unique_ptr<kairos::Alarm> alarm;
    try {
        alarm = kairos::Alarm::LoadFromIni(file, section, clock);
    } catch (const kairos::ValueFormatError& error) {
        const std::string_view message = error.what();
        if (!message.ends_with(InvalidElement) && !message.ends_with(InvalidDate) && !message.ends_with(InvalidTime))
            Fail("conversion error without its text", message);
        return;
    }
    if (!kairos::platform::IsValidUtf8(alarm->DisplayText())) Fail("display text is not UTF-8", alarm->DisplayText());

    const std::string first = Written(*alarm);
    kairos::IniStore reread = Parsed(first);
    std::unique_ptr<kairos::Alarm> again;
    try {
        again = kairos::Alarm::LoadFromIni(reread, "Alarm1", clock);
    } catch (const kairos::ValueFormatError&) {
        Fail("a written alarm does not read back", first);
    }
    if (!SameAlarm(*alarm, *again)) Fail("alarm changed on the way through the file", first);
    if (Written(*again) != first) Fail("alarm is written differently the second time", first);
    if (again->Kind == kairos::AlarmKind::OnDate &&
        !again->IsAlarmTime(kairos::ComposeDateTime(again->Date, again->Time)))
        Fail("date alarm not due at its own moment", first);
    if (again->Kind == kairos::AlarmKind::AtTickCount && again->IsAlarmTime(clock.Now()))
        Fail("tick-count alarm due", first);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    UseFixedLocale();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const FixedClock clock;
    kairos::IniStore file = Parsed(std::string_view(reinterpret_cast<const char*>(data), size));
    // Every section is an alarm of its own, whatever its name.
    for (std::size_t section = 0; section < file.SectionCount() && section < MaxSectionsChecked; ++section)
        CheckSection(file, section, clock);
    return 0;
}
