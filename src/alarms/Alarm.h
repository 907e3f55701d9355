#pragma once
// One alarm: when it is due, what it shows and what it opens, and how it is
// kept in one section of the alarm file. Enumerations and the weekday set are
// stored by their value names.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Clock.h"
#include "platform/Moment.h"
#include "settings/IniStore.h"

namespace kairos {

enum class AlarmKind : std::uint8_t { Weekly = 0, OnDate = 1, AtTickCount = 2 };
enum class Weekday : std::uint8_t { Sunday = 0, Monday, Tuesday, Wednesday, Thursday, Friday, Saturday };
// A set of weekdays: bit n stands for Weekday n.
using WeekdaySet = std::uint8_t;
enum class SnoozeInterval : std::uint8_t { Off = 0, FiveMinutes, TenMinutes, FifteenMinutes };

// A value's place in its enumeration: its row in a list, its tab, its name
// in the file.
template <typename Enum>
    requires std::is_enum_v<Enum>
constexpr int Ordinal(Enum value) {
    return static_cast<int>(value);
}

inline constexpr std::array<int, 4> SnoozeMinutes = {0, 5, 10, 15};
inline constexpr std::array<std::string_view, 7> WeekdayLetters = {"日", "月", "火", "水", "木", "金", "土"};
inline constexpr WeekdaySet AllWeekdays = 0x7F;
// What an alarm without a message is called wherever it is listed.
inline constexpr std::string_view UntitledAlarm = "無題";

constexpr WeekdaySet WeekBit(Weekday day) { return static_cast<WeekdaySet>(1u << static_cast<unsigned>(day)); }
constexpr bool Contains(WeekdaySet weeks, Weekday day) { return (weeks & WeekBit(day)) != 0; }

class Alarm {
public:
    AlarmKind Kind = AlarmKind::Weekly;
    Moment Date = 0;
    Moment Time = 0;
    WeekdaySet Weeks = 0;
    SnoozeInterval Snooze = SnoozeInterval::Off;
    std::string Message;
    std::string Command;
    bool RemoveOnExec = false;

    // Reads the alarm of one section, the last of that name or the one at
    // that place in the file. A missing date is today and a missing time is
    // the current moment, both taken from the clock. Throws ValueFormatError
    // for a kind, snooze or weekday that is not a value name, and for a date
    // or time that cannot be read.
    static std::unique_ptr<Alarm> LoadFromIni(const IniDocument& store, const std::string& section,
                                              const platform::Clock& clock = platform::SystemClock());
    static std::unique_ptr<Alarm> LoadFromIni(const IniDocument& store, std::size_t sectionIndex,
                                              const platform::Clock& clock = platform::SystemClock());
    // Writes every key into the store; the file is written by the caller.
    void SaveToIni(IniStore& store, const std::string& section) const;

    // The alarm's line in the alarm list, e.g. "無題 - 月水金 7:30".
    std::string DisplayText() const;

    // Whether the alarm is due in the moment's minute, at its time or at a
    // snooze repetition. Runs on every tick: no allocation.
    bool IsAlarmTime(Moment moment) const;

    bool operator==(const Alarm&) const = default;
};

}  // namespace kairos
