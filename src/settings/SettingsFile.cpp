#include "settings/SettingsFile.h"

namespace kairos {

void WritePreferences(TMemIniFileEx& store, const PreferenceValues& v) {
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

void WritePosition(TMemIniFileEx& store, TPoint topLeft, TopMostMode mode) {
    store.Section = SettingsKey::General;
    store.WritePoint("Point", topLeft);
    store.WriteFlag("TopMostMode", mode == TopMostMode::On);
}

}  // namespace kairos
