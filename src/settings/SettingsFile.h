#pragma once
// The settings file's keys, defaults and writers. Reading and applying is
// the clock window's; writing is shared by the preferences and the
// save-position command.

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/ExIniFiles.h"

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
inline constexpr TColor DefaultBackColor = 0xFF00000F;    // clBtnFace
inline constexpr TColor DefaultTextColor = 0xFF000008;    // clWindowText
inline constexpr TColor DefaultShadowColor = 0x00C0C0C0;  // clSilver
inline constexpr std::size_t MaxFontNameBytes = 31;

// Everything the preferences write, in the order they write it.
struct PreferenceValues {
    std::string DateFormat{DefaultDateFormat};
    std::string TimeFormat{DefaultTimeFormat};
    std::string ToolTipFormat;
    std::string NTPAddress{DefaultNTPAddress};
    int Transparency = DefaultTransparency;
    TColor BackColor = DefaultBackColor;
    std::string BGImage;
    bool AutoNTP = false;
    int AutoNTPInterval = DefaultAutoNTPInterval;

    std::string FontName;
    int DateSize = 18;
    int TimeSize = 18;
    bool DateShadow = false;
    bool TimeShadow = false;
    TColor DateColor = DefaultTextColor;
    TColor TimeColor = DefaultTextColor;

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

// Replaces existing keys in place and appends missing ones, so a new file
// lists them in this order; everything else in the file stays.
void WritePreferences(TMemIniFileEx& store, const PreferenceValues& values);

enum class TopMostMode { Off, On };
void WritePosition(TMemIniFileEx& store, TPoint topLeft, TopMostMode mode);

}  // namespace kairos
