#pragma once
// The settings file's keys, defaults and writers. Reading and applying is
// the clock window's; writing is shared by the preferences and the
// save-position command.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "settings/IniStore.h"

namespace kairos {

namespace SettingsKey {
inline constexpr const char* General = "General";
inline constexpr const char* Font = "Font";
inline constexpr const char* InformationNote = "InformationNote";
inline constexpr const char* TimeSignal = "TimeSignal";
inline constexpr const char* Alarm = "Alarm";
}  // namespace SettingsKey

inline constexpr std::string_view DefaultDateFormat = "yyyy/mm/dd";
inline constexpr std::string_view DefaultTimeFormat = "ampm h:nn:ss";
// The national time service of Japan: close to the clock's users and public.
inline constexpr std::string_view DefaultNTPAddress = "ntp.nict.jp";
inline constexpr int DefaultTransparency = 255;
inline constexpr int DefaultAutoNTPInterval = 10;
inline constexpr ColorValue DefaultBackColor = 0xFF00000F;    // clBtnFace
inline constexpr ColorValue DefaultTextColor = 0xFF000008;    // clWindowText
inline constexpr ColorValue DefaultShadowColor = 0x00C0C0C0;  // clSilver
inline constexpr std::size_t MaxFontNameBytes = 31;
// A template is rendered on every tick: a longer one, which nobody writes by
// hand, would cost the clock its whole processor.
inline constexpr std::size_t MaxTemplateBytes = 4096;

// Everything the preferences write, in the order they write it.
struct PreferenceValues {
    std::string DateFormat{DefaultDateFormat};
    std::string TimeFormat{DefaultTimeFormat};
    std::string ToolTipFormat;
    std::string NTPAddress{DefaultNTPAddress};
    int Transparency = DefaultTransparency;
    ColorValue BackColor = DefaultBackColor;
    std::string BGImage;
    bool AutoNTP = false;
    int AutoNTPInterval = DefaultAutoNTPInterval;
    bool AlarmNotification = true;

    std::string FontName;
    int DateSize = 18;
    int TimeSize = 18;
    bool DateShadow = false;
    bool TimeShadow = false;
    ColorValue DateColor = DefaultTextColor;
    ColorValue TimeColor = DefaultTextColor;

    bool InformationPlay = false;
    bool InformationOnBeep = false;
    std::string InformationPath;

    bool PlayJustTime = false;
    bool PlayHalfTime = false;
    bool TimesLoop = false;
    std::string TimeSignalPath;

    bool AlarmToBeep = false;
    std::string AlarmPath;
};

// A stored value that was not taken as it stands.
struct UnreadSetting {
    std::string section;
    std::string key;
    std::string value;
    // Why, for a value the user is to be told of; empty for one that is left
    // silently at its default (a number that is not one) or shortened.
    std::string error;
};

// Reads settings key by key from the store's current section: a value that
// cannot be read leaves only its own setting at the default, and is noted.
class SettingsReader {
public:
    explicit SettingsReader(IniStore& store) : store_(store) {}

    void SetSection(std::string_view section) { store_.Section = section; }
    const std::string& Section() const { return store_.Section; }
    std::string Text(std::string_view key, std::string_view defaultValue) const;
    std::string Path(std::string_view key, std::string_view defaultValue) const;
    // Cut to MaxTemplateBytes at a character boundary.
    std::string Template(std::string_view key, std::string_view defaultValue);
    std::int32_t Number(std::string_view key, std::int32_t defaultValue);
    bool Flag(std::string_view key, bool defaultValue);
    ColorValue Color(std::string_view key, ColorValue defaultValue);

    const std::vector<UnreadSetting>& Unread() const { return unread_; }
    bool WasUnread(std::string_view section, std::string_view key) const;
    // One line for each value the user is to be told of; empty when none.
    std::string ErrorText() const;

private:
    void Note(std::string_view key, std::string value, std::string error);

    IniStore& store_;
    std::vector<UnreadSetting> unread_;
};

// Replaces existing keys in place and appends missing ones, so a new file
// lists them in this order; everything else in the file stays.
void WritePreferences(IniStore& store, const PreferenceValues& values);

// The same, leaving alone the keys (section, key) it is told to keep: a
// value that could not be read is written only once the user has changed it.
using KeptKeys = std::vector<std::pair<std::string, std::string>>;
void WritePreferences(IniStore& store, const PreferenceValues& values, const KeptKeys& keep);

// Of the keys whose values could not be shown as they stand, those the user
// has left as shown: they are to be kept as the file has them.
KeptKeys KeysLeftAlone(const PreferenceValues& shown, const PreferenceValues& now, const KeptKeys& unshown);

enum class TopMostMode { Off, On };
void WritePosition(IniStore& store, Point topLeft, TopMostMode mode);

}  // namespace kairos
