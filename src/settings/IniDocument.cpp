#include "settings/IniDocument.h"

#include <algorithm>
#include <iterator>
#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <limits>
#include <utility>

#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Folders.h"
#include "platform/TextEncoding.h"
#include "platform/AsciiCase.h"
#include "platform/Utf8.h"
#include "settings/FolderMacros.h"

namespace kairos {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back())) text.remove_suffix(1);
    return text;
}

// The key of a key line; nothing for a bare line.
std::optional<std::string_view> KeyOf(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return line.substr(0, equals);
}

// A file written by this program is UTF-8; one kept from an earlier Windows
// installation is Shift-JIS. A byte-order mark settles the question; so does
// a text in which well-formed multi-byte UTF-8 outnumbers the broken bytes,
// which Shift-JIS text never does.
platform::DecodedText DecodeFileBytes(std::string_view bytes) {
    if (bytes.starts_with(Utf8Bom)) {
        platform::DecodedText decoded = platform::DecodeUtf8(bytes.substr(Utf8Bom.size()));
        for (std::size_t& at : decoded.unreadable) at += Utf8Bom.size();
        return decoded;
    }
    platform::DecodedText utf8 = platform::DecodeUtf8(bytes);
    if (utf8.unreadable.empty() || platform::CountUtf8MultiByteCharacters(bytes) > utf8.unreadable.size())
        return utf8;
    if (std::optional<platform::DecodedText> cp932 = platform::DecodeCp932(bytes)) return *std::move(cp932);
    return utf8;
}

// The line numbers, from 1, of the given byte offsets; each line once.
std::vector<int> LinesOf(std::string_view bytes, const std::vector<std::size_t>& offsets) {
    std::vector<int> lines;
    int line = 1;
    std::size_t pos = 0;
    for (const std::size_t offset : offsets) {
        for (; pos < offset && pos < bytes.size(); ++pos) {
            const bool crlf = bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n';
            if ((bytes[pos] == '\n' || bytes[pos] == '\r') && !crlf) ++line;
        }
        if (lines.empty() || lines.back() != line) lines.push_back(line);
    }
    return lines;
}

template <typename Visit>
void ForEachLine(std::string_view text, Visit visit) {
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        visit(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// A system error number in the file messages.
[[noreturn]] void ThrowFileError(const std::string& fileName, int error, std::string_view ending) {
    throw IniFileError("ファイル \"" + fileName + "\". " + platform::ErrorText(error) + " " + std::string(ending));
}

}  // namespace

namespace {

std::function<void(const std::string&)>& BackupNotice() {
    static std::function<void(const std::string&)> notice;
    return notice;
}

void NotifyBackup(const std::string& message) {
    if (const auto& notice = BackupNotice()) notice(message);
}

}  // namespace

void SetBackupNotice(std::function<void(const std::string& message)> notice) { BackupNotice() = std::move(notice); }

// ---- Dates and times as text ---------------------------------------------------

namespace {

enum class DateField { Year, Month, Day };
enum class HalfDay { None, Am, Pm };

constexpr std::size_t MaxNumberDigits = 9;  // keeps every number inside an int

struct TextNumber {
    int value = 0;
    std::size_t digits = 0;
};

// The order of year, month and day in a date picture. Empty when the picture
// holds a field that cannot be read back as a number (month names, era
// years) or lacks one of the three.
std::optional<std::vector<DateField>> DateFieldOrder(std::string_view picture) {
    std::vector<DateField> order;
    const auto add = [&order](DateField field) {
        if (std::find(order.begin(), order.end(), field) == order.end()) order.push_back(field);
    };
    for (std::size_t pos = 0; pos < picture.size();) {
        const char letter = AsciiUpper(picture[pos]);
        if (letter == '\'' || letter == '"') {
            const std::size_t close = picture.find(letter, pos + 1);
            if (close == std::string_view::npos) break;
            pos = close + 1;
            continue;
        }
        std::size_t run = Utf8CharLength(picture, pos);
        if (run == 1)
            while (pos + run < picture.size() && AsciiUpper(picture[pos + run]) == letter) ++run;
        if (letter == 'Y') add(DateField::Year);
        else if (letter == 'M' && run <= 2) add(DateField::Month);
        else if (letter == 'D' && run <= 2) add(DateField::Day);
        else if (letter == 'M' || letter == 'E') return std::nullopt;
        pos += run;
    }
    if (order.size() != 3) return std::nullopt;
    return order;
}

// The runs of digits in a text, whatever stands between them: the
// separators a picture writes are the locale's and need not be known here.
std::optional<std::vector<TextNumber>> NumbersIn(std::string_view text) {
    std::vector<TextNumber> numbers;
    for (std::size_t pos = 0; pos < text.size();) {
        if (text[pos] < '0' || text[pos] > '9') {
            ++pos;
            continue;
        }
        TextNumber number;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
            if (++number.digits > MaxNumberDigits) return std::nullopt;
            number.value = number.value * 10 + (text[pos] - '0');
        }
        numbers.push_back(number);
    }
    return numbers;
}

int FullYear(TextNumber year, int currentYear) {
    if (year.digits > 2) return year.value;
    const int windowStart = currentYear - 50;
    const int full = windowStart / 100 * 100 + year.value;
    return full < windowStart ? full + 100 : full;
}

// An AM or PM marker at either end of the text, taken off it; the longest
// of the locale's texts and the English ones wins.
HalfDay TakeHalfDayMarker(std::string_view& text, const LocaleFormatSettings& locale) {
    const std::pair<std::string_view, HalfDay> markers[] = {
        {locale.AmText, HalfDay::Am}, {locale.PmText, HalfDay::Pm}, {"AM", HalfDay::Am}, {"PM", HalfDay::Pm}};
    HalfDay half = HalfDay::None;
    std::string_view rest = text;
    std::size_t longest = 0;
    for (const auto& [marker, meaning] : markers) {
        if (marker.empty() || marker.size() <= longest || marker.size() > text.size()) continue;
        if (SameIgnoringAsciiCase(text.substr(0, marker.size()), marker)) {
            rest = text.substr(marker.size());
        } else if (SameIgnoringAsciiCase(text.substr(text.size() - marker.size()), marker)) {
            rest = text.substr(0, text.size() - marker.size());
        } else {
            continue;
        }
        half = meaning;
        longest = marker.size();
    }
    text = rest;
    return half;
}

}  // namespace

std::optional<Moment> ParseDateText(std::string_view text, std::string_view shortDatePicture, int currentYear) {
    const std::optional<std::vector<DateField>> order = DateFieldOrder(shortDatePicture);
    const std::optional<std::vector<TextNumber>> numbers = NumbersIn(text);
    if (!order || !numbers || numbers->size() != order->size()) return std::nullopt;
    int year = 0, month = 0, day = 0;
    for (std::size_t i = 0; i < order->size(); ++i) {
        const TextNumber number = (*numbers)[i];
        switch ((*order)[i]) {
            case DateField::Year: year = FullYear(number, currentYear); break;
            case DateField::Month: month = number.value; break;
            case DateField::Day: day = number.value; break;
        }
    }
    return TryEncodeDate(year, month, day);
}

std::optional<Moment> ParseTimeText(std::string_view text, const LocaleFormatSettings& locale) {
    text = Trim(text);
    const HalfDay half = TakeHalfDayMarker(text, locale);
    const std::optional<std::vector<TextNumber>> numbers = NumbersIn(text);
    if (!numbers || numbers->size() < 2 || numbers->size() > 4) return std::nullopt;
    const auto part = [&numbers](std::size_t i) { return i < numbers->size() ? (*numbers)[i].value : 0; };
    int hour = part(0);
    if (half != HalfDay::None) {
        if (hour > 12) return std::nullopt;
        hour = hour % 12 + (half == HalfDay::Pm ? 12 : 0);
    }
    return TryEncodeTime(hour, part(1), part(2), part(3));
}

namespace {

// Digits only, at most `most` of them, at least `least`.
std::optional<int> FieldOf(std::string_view text, std::size_t least, std::size_t most) {
    if (text.size() < least || text.size() > most) return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// Three fields cut at the separator; nothing for any other count.
std::optional<std::array<std::string_view, 3>> ThreeFields(std::string_view text, char separator) {
    std::array<std::string_view, 3> fields;
    for (std::size_t i = 0; i < 2; ++i) {
        const std::size_t end = text.find(separator);
        if (end == std::string_view::npos) return std::nullopt;
        fields[i] = text.substr(0, end);
        text.remove_prefix(end + 1);
    }
    if (text.find(separator) != std::string_view::npos) return std::nullopt;
    fields[2] = text;
    return fields;
}

// yyyy/m/d, the form the clock writes and Japanese desktops always wrote;
// with dashes, ISO's yyyy-mm-dd.
std::optional<Moment> FixedDate(std::string_view text, char separator, std::size_t leastDigits) {
    const auto fields = ThreeFields(text, separator);
    if (!fields) return std::nullopt;
    const auto year = FieldOf((*fields)[0], 4, 4);
    const auto month = FieldOf((*fields)[1], leastDigits, 2);
    const auto day = FieldOf((*fields)[2], leastDigits, 2);
    if (!year || !month || !day) return std::nullopt;
    return TryEncodeDate(*year, *month, *day);
}

// h:nn or h:nn:ss on a 24-hour clock, the form the clock writes.
std::optional<Moment> FixedTime(std::string_view text) {
    std::array<int, 3> parts{};
    std::size_t count = 0;
    for (; count < 3 && !text.empty(); ++count) {
        const std::size_t colon = text.find(':');
        const auto part = FieldOf(text.substr(0, colon), count == 0 ? 1 : 2, 2);
        if (!part) return std::nullopt;
        parts[count] = *part;
        if (colon == std::string_view::npos) {
            text = {};
        } else {
            text.remove_prefix(colon + 1);
            if (text.empty()) return std::nullopt;
        }
    }
    if (count < 2 || !text.empty()) return std::nullopt;
    return TryEncodeTime(parts[0], parts[1], parts[2], 0);
}

}  // namespace

std::optional<Moment> StoredDate(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    if (const auto date = FixedDate(text, '/', 1)) return date;
    if (const auto date = FixedDate(text, '-', 2)) return date;
    const int currentYear = DecodeDate(platform::SystemClock().Now()).year;
    if (const auto date = ParseDateText(text, CurrentLocaleFormatSettings().ShortDatePicture, currentYear)) return date;
    throw ValueFormatError(QuotedValue(text) + " は正しい日付ではありません");
}

std::optional<Moment> StoredTime(std::string_view text) {
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    if (const auto time = FixedTime(text)) return time;
    if (const auto time = ParseTimeText(text, CurrentLocaleFormatSettings())) return time;
    throw ValueFormatError(QuotedValue(text) + " は正しい時刻ではありません");
}

std::string QuotedValue(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\0') quoted += platform::ReplacementCharacter;
        else quoted += c;
    }
    return quoted + "'";
}

// ---- The store ---------------------------------------------------------------

IniDocument::IniDocument(std::string fileName, IniLoading loading)
    : IniDocument(std::move(fileName), loading, platform::SystemFileOps()) {}

IniDocument::IniDocument(std::string fileName, IniLoading loading, platform::FileOps& files)
    : fileName_(std::move(fileName)), files_(&files) {
    if (loading == IniLoading::FromDisk) ReadFromDisk();
}

void IniDocument::ReadFromDisk() {
    std::string bytes;
    const int error = files_->ReadAll(fileName_, bytes);
    if (platform::IsNoSuchFile(error)) return;
    if (error != 0) ThrowFileError(fileName_, error, "は開けません");
    SetFileContent(bytes);
    original_ = std::move(bytes);
}

void IniDocument::SetFileContent(std::string_view bytes) {
    sections_.clear();
    damage_.clear();
    const platform::DecodedText decoded = DecodeFileBytes(bytes);
    if (!decoded.unreadable.empty()) {
        std::string lines;
        for (const int line : LinesOf(bytes, decoded.unreadable))
            lines.append(lines.empty() ? "" : ", ").append(std::to_string(line));
        damage_.push_back(lines + " 行目の読めない文字");
    }
    ForEachLine(decoded.text, [this](std::string_view rawLine) {
        const std::string_view line = Trim(rawLine);
        if (line.empty() || line.front() == ';') return;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            sections_.push_back({std::string(Trim(line.substr(1, line.size() - 2))), {}});
            return;
        }
        // Lines before the first header belong to no section and are lost.
        if (sections_.empty()) return;
        const std::optional<std::string_view> key = KeyOf(line);
        if (!key) {
            sections_.back().lines.emplace_back(line);
            return;
        }
        std::string stored(Trim(*key));
        stored += '=';
        stored += Trim(line.substr(key->size() + 1));
        sections_.back().lines.push_back(std::move(stored));
    });
    RebuildIndex();
}

void IniDocument::MarkDamaged(std::string what) { damage_.push_back(std::move(what)); }

std::string IniDocument::FileContent() const {
    std::string text;
    for (const IniSection& section : sections_) {
        text += '[';
        text += section.name;
        text += "]\r\n";
        for (const std::string& line : section.lines) {
            text += line;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

void IniDocument::SaveToDisk() {
    std::string content = FileContent();
    // A file that was never there has nothing to keep.
    if (Damaged() && original_) {
        std::string backup;
        if (const int error = platform::WriteBackup(*files_, fileName_, *original_, backup))
            ThrowFileError(backup, error, "を作成できません");
        std::string what;
        for (const std::string& entry : damage_) what.append(what.empty() ? "" : "、").append(entry);
        NotifyBackup("ファイル \"" + fileName_ + "\" には読めない部分がありました（" + what + "）。元のファイルを \"" +
                     backup + "\" に残しました。");
    }
    if (const int error = platform::ReplaceFile(*files_, fileName_, content))
        ThrowFileError(fileName_, error, "を作成できません");
    // The file now holds exactly this store.
    damage_.clear();
    original_ = std::move(content);
}

namespace {

std::string IndexName(std::string_view name) {
    std::string upper(name);
    std::transform(upper.begin(), upper.end(), upper.begin(), AsciiUpper);
    return upper;
}

}  // namespace

void IniDocument::RebuildIndex() {
    lastOfName_.clear();
    for (std::size_t i = 0; i < sections_.size(); ++i) lastOfName_[IndexName(sections_[i].name)] = i;
}

IniDocument::IniSection& IniDocument::AppendSection(std::string name) {
    lastOfName_[IndexName(name)] = sections_.size();
    return sections_.emplace_back(IniSection{std::move(name), {}});
}

std::optional<std::size_t> IniDocument::FindSectionIndex(std::string_view name) const {
    const auto found = lastOfName_.find(IndexName(name));
    if (found == lastOfName_.end()) return std::nullopt;
    return found->second;
}

const IniDocument::IniSection* IniDocument::FindSection(std::string_view name) const {
    const std::optional<std::size_t> index = FindSectionIndex(name);
    return index ? &sections_[*index] : nullptr;
}

IniDocument::IniSection* IniDocument::FindSection(std::string_view name) {
    return const_cast<IniSection*>(std::as_const(*this).FindSection(name));
}

namespace {

template <typename Lines>
auto FindKeyLine(Lines& lines, std::string_view key) {
    const auto found = std::find_if(lines.rbegin(), lines.rend(), [key](const std::string& line) {
        const std::optional<std::string_view> lineKey = KeyOf(line);
        return lineKey && SameIgnoringAsciiCase(*lineKey, key);
    });
    return found == lines.rend() ? nullptr : &*found;
}

}  // namespace

std::string IniDocument::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const IniSection* found = FindSection(section);
    const std::string* line = found ? FindKeyLine(found->lines, key) : nullptr;
    if (!line) return std::string(defaultValue);
    return line->substr(line->find('=') + 1);
}

void IniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    IniSection* found = FindSection(section);
    if (!found) found = &AppendSection(std::string(section));
    std::string line(key);
    line += '=';
    // A line break inside a value would start a new key or section of its
    // own when the file is read back.
    std::transform(value.begin(), value.end(), std::back_inserter(line),
                   [](char c) { return c == '\r' || c == '\n' ? ' ' : c; });
    if (std::string* existing = FindKeyLine(found->lines, key))
        *existing = std::move(line);
    else
        found->lines.push_back(std::move(line));
}

bool IniDocument::ValueExists(std::string_view section, std::string_view key) const {
    const IniSection* found = FindSection(section);
    return found && FindKeyLine(found->lines, key);
}

std::vector<std::string> IniDocument::ReadSections() const {
    std::vector<std::string> names;
    names.reserve(sections_.size());
    for (const IniSection& section : sections_) names.push_back(section.name);
    return names;
}

std::vector<std::string> IniDocument::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    if (const IniSection* found = FindSection(section))
        for (const std::string& line : found->lines)
            if (const std::optional<std::string_view> key = KeyOf(line)) keys.emplace_back(*key);
    return keys;
}

std::vector<std::string> IniDocument::ReadSectionValues(std::string_view section) const {
    std::vector<std::string> lines;
    if (const IniSection* found = FindSection(section))
        for (const std::string& line : found->lines)
            if (KeyOf(line)) lines.push_back(line);
    return lines;
}

void IniDocument::EraseSection(std::string_view section) {
    std::erase_if(sections_, [section](const IniSection& entry) { return SameIgnoringAsciiCase(entry.name, section); });
    RebuildIndex();
}

void IniDocument::Clear() {
    sections_.clear();
    lastOfName_.clear();
}

std::optional<std::string> IniDocument::ReadValue(std::size_t sectionIndex, std::string_view key) const {
    const std::string* line = FindKeyLine(sections_.at(sectionIndex).lines, key);
    if (!line) return std::nullopt;
    return line->substr(line->find('=') + 1);
}

Moment IniDocument::ReadDate(std::string_view section, std::string_view key, Moment defaultValue) const {
    return StoredDate(ReadString(section, key, "")).value_or(defaultValue);
}

void IniDocument::WriteDate(std::string_view section, std::string_view key, Moment value) {
    WriteString(section, key, FormatMoment("yyyy'/'mm'/'dd", value, LocaleFormatSettings{}));
}

Moment IniDocument::ReadTime(std::string_view section, std::string_view key, Moment defaultValue) const {
    return StoredTime(ReadString(section, key, "")).value_or(defaultValue);
}

void IniDocument::WriteTime(std::string_view section, std::string_view key, Moment value) {
    WriteString(section, key, FormatMoment("hh':'nn':'ss", value, LocaleFormatSettings{}));
}

}  // namespace kairos
