#include "alarms/AlarmList.h"

#include <stdexcept>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/Folders.h"
#include "platform/PathNames.h"
#include "settings/FolderMacros.h"
#include "settings/IniStore.h"

namespace kairos {

std::string AlarmFilePath() {
    return platform::SettingsFolder() + platform::PreferredSeparator() + "Alarm.ini";
}

AlarmList::AlarmList(std::string fileName, const platform::Clock& clock)
    : fileName_(std::move(fileName)), clock_(&clock) {}

void AlarmList::Add(std::unique_ptr<Alarm> alarm) {
    if (!alarm) throw std::invalid_argument("AlarmList::Add: no alarm");
    items_.push_back(std::move(alarm));
}

Alarm& AlarmList::operator[](std::size_t index) {
    return *items_.at(index);
}

const Alarm& AlarmList::operator[](std::size_t index) const {
    return *items_.at(index);
}

void AlarmList::Delete(std::size_t index) {
    if (index >= items_.size()) throw std::out_of_range("AlarmList::Delete: index out of range");
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void AlarmList::Replace(std::size_t index, std::unique_ptr<Alarm> alarm) {
    if (!alarm) throw std::invalid_argument("AlarmList::Replace: no alarm");
    items_.at(index) = std::move(alarm);
}

std::string AlarmList::BackupPath() const {
    return platform::NextBackupPath(ExpandFolderMacros(fileName_));
}

void AlarmList::LoadFromFile() {
    Clear();
    // Until the load completes the file may hold alarms this list lacks.
    loadFailed_ = true;
    const std::unique_ptr<IniStore> store = OpenIniFile(fileName_);
    for (std::size_t section = 0; section < store->SectionCount(); ++section) {
        try {
            items_.push_back(Alarm::LoadFromIni(*store, section, *clock_));
        } catch (const ValueFormatError& error) {
            throw ValueFormatError(std::string(error.what()) + "\n保存するときは元のファイルを " + BackupPath() +
                                   " に残します。");
        }
    }
    loadFailed_ = false;
}

void AlarmList::SaveToFile() {
    const std::unique_ptr<IniStore> store = OpenIniFile(fileName_);
    if (loadFailed_) store->MarkDamaged("読めなかったアラーム");
    store->Clear();
    for (std::size_t i = 0; i < items_.size(); ++i) items_[i]->SaveToIni(*store, "Alarm" + std::to_string(i + 1));
    store->SaveToDisk();
    // The file now holds exactly this list; keeping it again would only
    // make a second backup of a file without the unreadable alarms.
    loadFailed_ = false;
}

}  // namespace kairos
