#include "settings/SettingsFile.h"

#include <cstdint>
#include <optional>

#include "platform/Utf8.h"

namespace kairos {

void WritePreferences(IniStore& store, const PreferenceValues& v) {
    store.Section = SettingsKey::General;
    store.WriteText("DateFormat", v.DateFormat);
    store.WriteText("TimeFormat", v.TimeFormat);
    store.WriteText("ToolTipFormat", v.ToolTipFormat);
    store.WriteText("NTPAddress", v.NTPAddress);
    store.WriteNumber("Transparency", v.Transparency);
    store.WriteColor("BackColor", v.BackColor);
    store.WritePath("BGImage", v.BGImage);
    store.WriteFlag("AutoNTP", v.AutoNTP);
    store.WriteNumber("AutoNTPInterval", v.AutoNTPInterval);
    store.WriteFlag("AlarmNotification", v.AlarmNotification);

    store.Section = SettingsKey::Font;
    store.WriteText("FontName", v.FontName);
    store.WriteNumber("DateSize", v.DateSize);
    store.WriteNumber("TimeSize", v.TimeSize);
    store.WriteFlag("DateShadow", v.DateShadow);
    store.WriteFlag("TimeShadow", v.TimeShadow);
    store.WriteColor("DateColor", v.DateColor);
    store.WriteColor("TimeColor", v.TimeColor);

    store.Section = SettingsKey::InformationNote;
    store.WriteFlag("Play", v.InformationPlay);
    store.WriteFlag("OnBeep", v.InformationOnBeep);
    store.WritePath("Path", v.InformationPath);

    store.Section = SettingsKey::TimeSignal;
    store.WriteFlag("PlayJustTime", v.PlayJustTime);
    store.WriteFlag("PlayHalfTime", v.PlayHalfTime);
    store.WriteFlag("TimesLoop", v.TimesLoop);
    store.WritePath("Path", v.TimeSignalPath);

    store.Section = SettingsKey::Alarm;
    store.WriteFlag("AlarmToBeep", v.AlarmToBeep);
    store.WritePath("Path", v.AlarmPath);
}

// A kept key goes back to the exact text it had, in its place in the file.
void WritePreferences(IniStore& store, const PreferenceValues& values, const KeptKeys& keep) {
    std::vector<std::optional<std::string>> kept;
    for (const auto& [section, key] : keep)
        kept.push_back(store.ValueExists(section, key) ? std::optional(store.ReadString(section, key, "")) : std::nullopt);
    WritePreferences(store, values);
    for (std::size_t i = 0; i < keep.size(); ++i)
        if (kept[i]) store.WriteString(keep[i].first, keep[i].second, *kept[i]);
}

// The writer decides what each key holds, so the keys are compared as it
// would write them.
KeptKeys KeysLeftAlone(const PreferenceValues& shown, const PreferenceValues& now, const KeptKeys& unshown) {
    IniStore before("", IniLoading::Empty);
    IniStore after("", IniLoading::Empty);
    WritePreferences(before, shown);
    WritePreferences(after, now);
    KeptKeys kept;
    for (const auto& [section, key] : unshown)
        if (before.ReadString(section, key, "") == after.ReadString(section, key, "")) kept.emplace_back(section, key);
    return kept;
}

std::string SettingsReader::Text(std::string_view key, std::string_view defaultValue) const {
    return store_.ReadText(key, defaultValue);
}

std::string SettingsReader::Path(std::string_view key, std::string_view defaultValue) const {
    return store_.ReadPath(key, defaultValue);
}

std::string SettingsReader::Template(std::string_view key, std::string_view defaultValue) {
    std::string text = store_.ReadText(key, defaultValue);
    if (text.size() <= MaxTemplateBytes) return text;
    Note(key, text, "");
    text.resize(Utf8CutPoint(text, MaxTemplateBytes));
    return text;
}

std::int32_t SettingsReader::Number(std::string_view key, std::int32_t defaultValue) {
    if (!store_.ValueExists(store_.Section, key)) return defaultValue;
    const std::string text = store_.ReadText(key, "");
    if (const std::optional<std::int32_t> value = StoredNumber(text)) return *value;
    Note(key, text, "");
    return defaultValue;
}

bool SettingsReader::Flag(std::string_view key, bool defaultValue) { return Number(key, defaultValue ? 1 : 0) != 0; }

ColorValue SettingsReader::Color(std::string_view key, ColorValue defaultValue) {
    try {
        return store_.ReadColor(key, defaultValue);
    } catch (const ValueFormatError& error) {
        Note(key, store_.ReadText(key, ""), error.what());
        return defaultValue;
    }
}

void SettingsReader::Note(std::string_view key, std::string value, std::string error) {
    unread_.push_back({store_.Section, std::string(key), std::move(value), std::move(error)});
}

bool SettingsReader::WasUnread(std::string_view section, std::string_view key) const {
    for (const UnreadSetting& entry : unread_)
        if (entry.section == section && entry.key == key) return true;
    return false;
}

std::string SettingsReader::ErrorText() const {
    std::string text;
    for (const UnreadSetting& entry : unread_) {
        if (entry.error.empty()) continue;
        text.append(text.empty() ? "" : "\n").append("[").append(entry.section).append("] ").append(entry.key);
        text.append(": ").append(entry.error);
    }
    return text;
}

void WritePosition(IniStore& store, Point topLeft, TopMostMode mode) {
    store.Section = SettingsKey::General;
    store.WritePoint("Point", topLeft);
    store.WriteFlag("TopMostMode", mode == TopMostMode::On);
}

}  // namespace kairos
