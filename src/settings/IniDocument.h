#pragma once
// The in-memory INI document through which the settings file and the alarm
// file are read and written. A store reads its whole file once when it is
// made, answers and changes only its own copy, and writes the file back only
// on SaveToDisk. Every user opens a store for one operation and frees it.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Moment.h"

namespace kairos {

namespace platform {
class FileOps;
}

struct LocaleFormatSettings;

// A file that cannot be read or written; the message names the file and the
// system's reason.
class IniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stored value that cannot be turned into what the reader asked for.
class ValueFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How a store begins.
enum class IniLoading {
    FromDisk,  // the file's content; a missing file is an empty store
    Empty,     // nothing is read; SetFileContent may supply the content
};

class IniDocument {
public:
    // Throws IniFileError when the file exists but cannot be read.
    explicit IniDocument(std::string fileName, IniLoading loading = IniLoading::FromDisk);
    IniDocument(std::string fileName, IniLoading loading, platform::FileOps& files);
    virtual ~IniDocument() = default;
    IniDocument(const IniDocument&) = default;
    IniDocument& operator=(const IniDocument&) = default;
    IniDocument(IniDocument&&) = default;
    IniDocument& operator=(IniDocument&&) = default;

    const std::string& FileName() const { return fileName_; }

    // Replaces the whole content by what a file of these bytes holds: UTF-8,
    // or code page 932 for a file kept from Windows. A byte sequence that is
    // neither becomes U+FFFD on its own and makes the store damaged.
    void SetFileContent(std::string_view bytes);
    // The bytes SaveToDisk writes.
    std::string FileContent() const;
    // Writes the whole content to the file, creating or replacing it in one
    // step; a read-only file is refused. A damaged store first keeps the
    // bytes it read under a backup name no file has yet ("Alarm.ini.bak",
    // "Alarm.ini.1.bak", ...) and tells the backup notice (SetBackupNotice).
    // Throws IniFileError; the file is then unchanged.
    void SaveToDisk();

    // Whether what was read lost something: a byte sequence no encoding
    // reads, or what a reader marked. Each entry says what, in a few words.
    bool Damaged() const { return !damage_.empty(); }
    const std::vector<std::string>& Damage() const { return damage_; }
    void MarkDamaged(std::string what);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Every section in file order, a name that occurs twice listed twice.
    std::vector<std::string> ReadSections() const;
    // The keys of the key lines of the last section of that name, in order.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // The "key=value" lines of the last section of that name, in order.
    std::vector<std::string> ReadSectionValues(std::string_view section) const;
    // Removes every section of that name.
    void EraseSection(std::string_view section);
    void Clear();

    // Sections by their place in the file, for a file whose sections may
    // share a name and each count.
    std::size_t SectionCount() const { return sections_.size(); }
    // The last section of that name.
    std::optional<std::size_t> FindSectionIndex(std::string_view name) const;
    // Nothing when the section has no such key.
    std::optional<std::string> ReadValue(std::size_t sectionIndex, std::string_view key) const;

    // Dates are written as yyyy/mm/dd and times as hh:nn:ss, whatever the
    // locale, so that a file means the same to every reader. Reading takes
    // that form, then ISO (yyyy-mm-dd), then the locale's short date or long
    // time picture. A missing or empty value gives the default; a value none
    // of them reads throws ValueFormatError.
    Moment ReadDate(std::string_view section, std::string_view key, Moment defaultValue) const;
    void WriteDate(std::string_view section, std::string_view key, Moment value);
    Moment ReadTime(std::string_view section, std::string_view key, Moment defaultValue) const;
    void WriteTime(std::string_view section, std::string_view key, Moment value);

private:
    struct IniSection {
        std::string name;
        std::vector<std::string> lines;  // "key=value", or a bare line that never matches a key
    };

    const IniSection* FindSection(std::string_view name) const;
    IniSection* FindSection(std::string_view name);
    IniSection& AppendSection(std::string name);
    void RebuildIndex();
    void ReadFromDisk();

    std::string fileName_;
    platform::FileOps* files_;
    std::vector<IniSection> sections_;
    // The last section of each name, by its upper-cased name: a file of a
    // hundred thousand alarms is read in linear time.
    std::unordered_map<std::string, std::size_t> lastOfName_;
    // The file as read, for the backup of a damaged store.
    std::optional<std::string> original_;
    std::vector<std::string> damage_;
};

// Who is told that a damaged file was kept under a backup name: the message
// names the file, what was unreadable and the backup. The program shows it;
// without a notice nobody is told.
void SetBackupNotice(std::function<void(const std::string& message)> notice);

// A stored date or time, read as ReadDate and ReadTime read it: nothing for
// an empty text; ValueFormatError for one no form reads.
std::optional<Moment> StoredDate(std::string_view text);
std::optional<Moment> StoredTime(std::string_view text);

// A stored text as error messages quote it: in single quotes, a NUL shown as
// U+FFFD, for a message travels as a C string.
std::string QuotedValue(std::string_view text);

// Date and time text as WriteDate and WriteTime produce it, read back.
// Two-digit years fall in the hundred years that begin fifty years before
// currentYear. Empty when the text is not a date or time of that picture.
std::optional<Moment> ParseDateText(std::string_view text, std::string_view shortDatePicture, int currentYear);
std::optional<Moment> ParseTimeText(std::string_view text, const LocaleFormatSettings& locale);

}  // namespace kairos
