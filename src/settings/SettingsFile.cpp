#include "settings/SettingsFile.h"

#include <cstdint>
#include <optional>

#include "platform/Utf8.h"

namespace kairos {

namespace {

// Writes through the store unless the key is one to keep.
class KeyWriter {
public:
    KeyWriter(TMemIniFileEx& store, const KeptKeys& keep) : store_(store), keep_(keep) {}
    void Section(const char* section) { store_.Section = section; }
    void Text(const char* key, std::string_view value) {
        if (Writes(key)) store_.WriteText(key, value);
    }
    void Number(const char* key, std::int32_t value) {
        if (Writes(key)) store_.WriteNumber(key, value);
    }
    void Flag(const char* key, bool value) {
        if (Writes(key)) store_.WriteFlag(key, value);
    }
    void Path(const char* key, std::string_view value) {
        if (Writes(key)) store_.WritePath(key, value);
    }
    void Color(const char* key, TColor value) {
        if (Writes(key)) store_.WriteColor(key, value);
    }

private:
    bool Writes(std::string_view key) const {
        for (const auto& [section, kept] : keep_)
            if (section == store_.Section && kept == key) return false;
        return true;
    }
    TMemIniFileEx& store_;
    const KeptKeys& keep_;
};

}  // namespace

void WritePreferences(TMemIniFileEx& store, const PreferenceValues& values) { WritePreferences(store, values, {}); }

void WritePreferences(TMemIniFileEx& store, const PreferenceValues& v, const KeptKeys& keep) {
    KeyWriter write(store, keep);
    write.Section(SettingsKey::General);
    write.Text("DateFormat", v.DateFormat);
    write.Text("TimeFormat", v.TimeFormat);
    write.Text("ToolTipFormat", v.ToolTipFormat);
    write.Text("NTPAddress", v.NTPAddress);
    write.Number("Transparency", v.Transparency);
    write.Color("BackColor", v.BackColor);
    write.Path("BGImage", v.BGImage);
    write.Flag("AutoNTP", v.AutoNTP);
    write.Number("AutoNTPInterval", v.AutoNTPInterval);

    write.Section(SettingsKey::Font);
    write.Text("FontName", v.FontName);
    write.Number("DateSize", v.DateSize);
    write.Number("TimeSize", v.TimeSize);
    write.Flag("DateShadow", v.DateShadow);
    write.Flag("TimeShadow", v.TimeShadow);
    write.Color("DateColor", v.DateColor);
    write.Color("TimeColor", v.TimeColor);

    write.Section(SettingsKey::InformationNote);
    write.Flag("Play", v.InformationPlay);
    write.Flag("OnBeep", v.InformationOnBeep);
    write.Path("Path", v.InformationPath);

    write.Section(SettingsKey::TimeSignal);
    write.Flag("PlayJustTime", v.PlayJustTime);
    write.Flag("PlayHalfTime", v.PlayHalfTime);
    write.Flag("TimesLoop", v.TimesLoop);
    write.Path("Path", v.TimeSignalPath);

    write.Section(SettingsKey::Alarm);
    write.Flag("AlarmToBeep", v.AlarmToBeep);
    write.Path("Path", v.AlarmPath);
}

// The writer decides what each key holds, so the keys are compared as it
// would write them.
KeptKeys KeysLeftAlone(const PreferenceValues& shown, const PreferenceValues& now, const KeptKeys& unshown) {
    TMemIniFileEx before("", IniLoading::Empty);
    TMemIniFileEx after("", IniLoading::Empty);
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

TColor SettingsReader::Color(std::string_view key, TColor defaultValue) {
    try {
        return store_.ReadColor(key, defaultValue);
    } catch (const EConvertError& error) {
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

void WritePosition(TMemIniFileEx& store, TPoint topLeft, TopMostMode mode) {
    store.Section = SettingsKey::General;
    store.WritePoint("Point", topLeft);
    store.WriteFlag("TopMostMode", mode == TopMostMode::On);
}

}  // namespace kairos
