#pragma once
// The list that owns the alarms, and the alarm file they live in: an INI file
// with one section per alarm.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "alarms/Alarm.h"
#include "platform/Clock.h"

namespace kairos {

// The alarm file: beside the settings file.
std::string AlarmFilePath();

class AlarmList {
public:
    explicit AlarmList(std::string fileName = AlarmFilePath(),
                       const platform::Clock& clock = platform::SystemClock());

    // Index errors throw std::out_of_range; a null alarm std::invalid_argument.
    void Add(std::unique_ptr<Alarm> alarm);
    Alarm& operator[](std::size_t index);
    const Alarm& operator[](std::size_t index) const;
    std::size_t Count() const { return items_.size(); }
    void Delete(std::size_t index);
    void Replace(std::size_t index, std::unique_ptr<Alarm> alarm);
    void Clear() { items_.clear(); }

    // Replaces the list by the file's alarms, one for each section in file
    // order, whatever their names. A conversion error ends the load with the
    // alarms read before it kept, and is rethrown with a line naming the
    // backup the next save will keep.
    void LoadFromFile();
    // Replaces the file by the list, as sections Alarm1, Alarm2, ... After a
    // load that ended with an error, the file as it is then is first kept
    // under a backup name of its own (see IniDocument::SaveToDisk).
    void SaveToFile();

    const std::string& FileName() const { return fileName_; }
    // The name the next backup would take: "Alarm.ini.bak", or the first
    // free one of "Alarm.ini.1.bak", ...
    std::string BackupPath() const;

private:

    std::string fileName_;
    const platform::Clock* clock_;
    std::vector<std::unique_ptr<Alarm>> items_;
    // Set while the file holds alarms this list could not read.
    bool loadFailed_ = false;
};

}  // namespace kairos
