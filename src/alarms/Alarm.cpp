#include "alarms/Alarm.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

#include "clocktext/FormatMoment.h"
#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "settings/FolderMacros.h"
#include "platform/AsciiCase.h"

namespace kairos {

namespace {

constexpr std::array<std::string_view, 3> KindNames = {"akAtWeeks", "akAtDate", "akAtTickCount"};
constexpr std::array<std::string_view, 7> WeekNames = {"wSun", "wMon", "wTue", "wWed", "wThu", "wFri", "wSat"};
constexpr std::array<std::string_view, 4> SnoozeNames = {"snDisable", "sn5Minutes", "sn10Minutes", "sn15Minutes"};

constexpr std::string_view WeekSeparators = ", ]";
constexpr std::int64_t MillisecondsPerMinute = 60'000;
constexpr int SnoozeRepetitions = 4;

// The message travels as a C string: a NUL in the text would cut it short.
[[noreturn]] void ThrowInvalidElement(std::string_view text) {
    std::string shown;
    for (const char c : text) {
        if (c == '\0') shown += "\xEF\xBF\xBD";
        else shown += c;
    }
    throw ValueFormatError(shown + " はプロパティの要素としては不正です。");
}

template <std::size_t N>
std::size_t IndexOfName(const std::array<std::string_view, N>& names, std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (SameIgnoringAsciiCase(names[i], text)) return i;
    ThrowInvalidElement(text);
}

template <typename Enum>
constexpr std::size_t IndexOf(Enum value) {
    return static_cast<std::size_t>(Ordinal(value));
}

template <std::size_t N, typename Enum>
std::string_view NameOf(const std::array<std::string_view, N>& names, Enum value) {
    // A value set by code outside the enumeration is written as such, so
    // that the next load reports it instead of silently changing it.
    return IndexOf(value) < N ? names[IndexOf(value)] : std::string_view("?");
}

WeekdaySet TextToWeeks(std::string_view text) {
    std::size_t at = text.find_first_not_of("[ ");
    WeekdaySet weeks = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find_first_of(WeekSeparators, at), text.size());
        if (end > at) weeks |= WeekBit(static_cast<Weekday>(IndexOfName(WeekNames, text.substr(at, end - at))));
        at = text.find_first_not_of(WeekSeparators, end);
    }
    return weeks;
}

std::string WeeksToText(WeekdaySet weeks) {
    std::string text;
    for (std::size_t day = 0; day < WeekNames.size(); ++day) {
        if (!Contains(weeks, static_cast<Weekday>(day))) continue;
        if (!text.empty()) text += ',';
        text += WeekNames[day];
    }
    return text;
}

// The day as the calendar functions see it, so that a moment a hair before
// midnight that they round up counts as the next day here too.
Moment DayOf(Moment moment) {
    const MomentParts parts = SplitMoment(moment);
    return parts.valid ? static_cast<Moment>(parts.day) : moment;
}

// 1899-12-30, day 0, was a Saturday.
Weekday WeekdayOf(std::int64_t day) {
    return static_cast<Weekday>((day % 7 + 7 + IndexOf(Weekday::Saturday)) % 7);
}

}  // namespace

namespace {

using ValueLookup = std::function<std::optional<std::string>(std::string_view key)>;

std::unique_ptr<Alarm> AlarmFromValues(const ValueLookup& value, const platform::Clock& clock) {
    const auto text = [&value](std::string_view key, std::string_view defaultValue) {
        return value(key).value_or(std::string(defaultValue));
    };
    auto alarm = std::make_unique<Alarm>();
    // "AlermKind" is the spelling of files from early versions.
    const std::optional<std::string> kind = value("AlarmKind");
    alarm->Kind = static_cast<AlarmKind>(
        IndexOfName(KindNames, kind ? *kind : text("AlermKind", NameOf(KindNames, AlarmKind::Weekly))));
    const Moment now = clock.Now();
    alarm->Date = DayOf(StoredDate(text("Date", "")).value_or(DayOf(now)));
    // The whole moment, date included, so that an alarm without a time never
    // matches a minute of the day.
    alarm->Time = StoredTime(text("Time", "")).value_or(now);
    alarm->Weeks = TextToWeeks(text("Weeks", "[]"));
    alarm->Snooze =
        static_cast<SnoozeInterval>(IndexOfName(SnoozeNames, text("Snooze", NameOf(SnoozeNames, SnoozeInterval::Off))));
    alarm->Message = text("Message", "");
    alarm->Command = text("Command", "");
    alarm->RemoveOnExec = StoredNumber(text("RemoveOnExec", "")).value_or(0) != 0;
    return alarm;
}

}  // namespace

std::unique_ptr<Alarm> Alarm::LoadFromIni(const IniDocument& store, const std::string& section,
                                          const platform::Clock& clock) {
    const std::optional<std::size_t> index = store.FindSectionIndex(section);
    if (index) return LoadFromIni(store, *index, clock);
    return AlarmFromValues([](std::string_view) { return std::optional<std::string>(); }, clock);
}

std::unique_ptr<Alarm> Alarm::LoadFromIni(const IniDocument& store, std::size_t sectionIndex,
                                          const platform::Clock& clock) {
    return AlarmFromValues([&store, sectionIndex](std::string_view key) { return store.ReadValue(sectionIndex, key); },
                           clock);
}

void Alarm::SaveToIni(IniStore& store, const std::string& section) const {
    store.Section = section;
    store.WriteText("AlarmKind", NameOf(KindNames, Kind));
    store.WriteDate(section, "Date", DayOf(Date));
    store.WriteTime(section, "Time", Time);
    store.WriteText("Weeks", WeeksToText(Weeks));
    store.WriteText("Snooze", NameOf(SnoozeNames, Snooze));
    store.WriteText("Message", Message);
    store.WriteText("Command", Command);
    store.WriteFlag("RemoveOnExec", RemoveOnExec);
}

std::string Alarm::DisplayText() const {
    std::string when;
    if (Kind == AlarmKind::Weekly) {
        if (Weeks == AllWeekdays) {
            when = "毎";
        } else {
            for (std::size_t day = 0; day < WeekdayLetters.size(); ++day)
                if (Contains(Weeks, static_cast<Weekday>(day))) when += WeekdayLetters[day];
        }
        when += ' ';
        when += FormatMoment("h:mm", Time);
    } else if (Kind == AlarmKind::OnDate) {
        when = FormatMoment("m/dd", Date) + " " + FormatMoment("h:nn", Time);
    }
    const std::string title = Message.empty() ? std::string(UntitledAlarm) : Message;
    return title + " - " + when;
}

bool Alarm::IsAlarmTime(Moment moment) const {
    const MomentParts now = SplitMoment(moment);
    if (!now.valid) return false;
    switch (Kind) {
        case AlarmKind::Weekly:
            if (!Contains(Weeks, WeekdayOf(now.day))) return false;
            break;
        case AlarmKind::OnDate: {
            const MomentParts day = SplitMoment(Date);
            if (!day.valid || day.day != now.day) return false;
            break;
        }
        default:
            return false;
    }
    // A time that carries a day is no minute of any day.
    const MomentParts at = SplitMoment(Time);
    if (!at.valid || at.day != 0) return false;
    const auto minute = static_cast<int>(now.millisecondOfDay / MillisecondsPerMinute);
    const auto alarmMinute = static_cast<int>(at.millisecondOfDay / MillisecondsPerMinute);
    if (minute == alarmMinute) return true;
    const int step = IndexOf(Snooze) < SnoozeMinutes.size() ? SnoozeMinutes[IndexOf(Snooze)] : 0;
    if (step == 0) return false;
    // Repetitions past midnight are dropped, never wrapped into the morning.
    const int late = minute - alarmMinute;
    return late > 0 && late % step == 0 && late / step <= SnoozeRepetitions;
}

}  // namespace kairos
