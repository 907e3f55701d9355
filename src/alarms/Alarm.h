#pragma once
// One alarm, the list that owns the alarms, and the alarm file they live in.
// The file is an INI file with one section per alarm; enumerations and the
// weekday set are stored by their value names.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clock.h"
#include "platform/Moment.h"
#include "settings/IniDocument.h"

namespace kairos {

enum TAlarmKind : std::uint8_t { akAtWeeks = 0, akAtDate = 1, akAtTickCount = 2 };
enum TWeek : std::uint8_t { wSun = 0, wMon, wTue, wWed, wThu, wFri, wSat };
// A set of weekdays: bit n stands for TWeek n.
using TWeeks = std::uint8_t;
enum TSnoozeType : std::uint8_t { snDisable = 0, sn5Minutes, sn10Minutes, sn15Minutes };

inline constexpr std::array<int, 4> SnoozeMinutes = {0, 5, 10, 15};
inline constexpr std::array<std::string_view, 7> WeekLetters = {"日", "月", "火", "水", "木", "金", "土"};
inline constexpr TWeeks AllWeeks = 0x7F;

constexpr TWeeks WeekBit(TWeek day) { return static_cast<TWeeks>(1u << day); }
constexpr bool Contains(TWeeks weeks, TWeek day) { return (weeks & WeekBit(day)) != 0; }

// The alarm file: beside the settings file.
std::string AlarmFilePath();

class TAlarmData {
public:
    TAlarmKind AlarmKind = akAtWeeks;
    TDateTime Date = 0;
    TDateTime Time = 0;
    TWeeks Weeks = 0;
    TSnoozeType Snooze = snDisable;
    std::string Message;
    std::string Command;
    bool RemoveOnExec = false;

    // Reads the alarm of one section, the last of that name or the one at
    // that place in the file. A missing date is today and a missing time is
    // the current moment, both taken from the clock. Throws EConvertError
    // for a kind, snooze or weekday that is not a value name, and for a date
    // or time that cannot be read.
    static std::unique_ptr<TAlarmData> LoadFromIni(const TMemIniFile& store, const std::string& section,
                                                   const platform::Clock& clock = platform::SystemClock());
    static std::unique_ptr<TAlarmData> LoadFromIni(const TMemIniFile& store, std::size_t sectionIndex,
                                                   const platform::Clock& clock = platform::SystemClock());
    // Writes every key into the store; the file is written by the caller.
    void SaveToIni(TMemIniFileEx& store, const std::string& section) const;

    // The alarm's line in the alarm list, e.g. "無題 - 月水金 7:30".
    std::string DisplayText() const;

    // Whether the alarm is due in the moment's minute, at its time or at a
    // snooze repetition. Runs on every tick: no allocation.
    bool IsAlarmTime(TDateTime moment) const;
};

class TAlarmList {
public:
    explicit TAlarmList(std::string fileName = AlarmFilePath(),
                        const platform::Clock& clock = platform::SystemClock());

    // Index errors throw std::out_of_range; a null alarm std::invalid_argument.
    void Add(std::unique_ptr<TAlarmData> alarm);
    TAlarmData& operator[](std::size_t index);
    const TAlarmData& operator[](std::size_t index) const;
    std::size_t Count() const { return items_.size(); }
    void Delete(std::size_t index);
    void Replace(std::size_t index, std::unique_ptr<TAlarmData> alarm);
    void Clear() { items_.clear(); }

    // Replaces the list by the file's alarms, one for each section in file
    // order, whatever their names. A conversion error ends the load with the
    // alarms read before it kept, and is rethrown with a line naming the
    // backup the next save will keep.
    void LoadFromFile();
    // Replaces the file by the list, as sections Alarm1, Alarm2, ... After a
    // load that ended with an error, the file as it is then is first kept
    // under a backup name of its own (see TMemIniFile::SaveToDisk).
    void SaveToFile();

    const std::string& FileName() const { return fileName_; }
    // The name the next backup would take: "Alarm.ini.bak", or the first
    // free one of "Alarm.ini.1.bak", ...
    std::string BackupPath() const;

private:

    std::string fileName_;
    const platform::Clock* clock_;
    std::vector<std::unique_ptr<TAlarmData>> items_;
    // Set while the file holds alarms this list could not read.
    bool loadFailed_ = false;
};

}  // namespace kairos
