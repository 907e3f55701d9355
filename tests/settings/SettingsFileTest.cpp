#include "settings/SettingsFile.h"

#include <gtest/gtest.h>

#include <string>

#include "settings/IniStore.h"

namespace kairos {
namespace {

std::string Written(std::string_view before, const PreferenceValues& values) {
    IniStore store("memory.ini", IniLoading::Empty);
    store.SetFileContent(before);
    WritePreferences(store, values);
    return store.FileContent();
}

TEST(WritePreferences, NewFileListsTheKeysInWritingOrder) {
    const std::string expected =
        "[General]\r\nDateFormat=yyyy/mm/dd\r\nTimeFormat=ampm h:nn:ss\r\nToolTipFormat=\r\n"
        "NTPAddress=ntp.nict.jp\r\nTransparency=255\r\nBackColor=clBtnFace\r\nBGImage=\r\nAutoNTP=0\r\n"
        "AutoNTPInterval=10\r\nAlarmNotification=1\r\n\r\n"
        "[Font]\r\nFontName=\r\nDateSize=18\r\nTimeSize=18\r\nDateShadow=0\r\nTimeShadow=0\r\n"
        "DateColor=clWindowText\r\nTimeColor=clWindowText\r\n\r\n"
        "[InformationNote]\r\nPlay=0\r\nOnBeep=0\r\nPath=\r\n\r\n"
        "[TimeSignal]\r\nPlayJustTime=0\r\nPlayHalfTime=0\r\nTimesLoop=0\r\nPath=\r\n\r\n"
        "[Alarm]\r\nAlarmToBeep=0\r\nPath=\r\n\r\n";
    EXPECT_EQ(Written("", PreferenceValues{}), expected);
}

TEST(WritePreferences, KeepsEverythingItDoesNotWriteAndReplacesInPlace) {
    const std::string before =
        "[General]\r\nPoint=10,20\r\nTimeFormat=hh:nn\r\nTopMostMode=1\r\n\r\n"
        "[Font]\r\nDateShadowColor=clRed\r\nTimeShadowColor=$00123456\r\n\r\n"
        "[AlarmMessages]\r\nHistoryCount=1\r\n1=起きて\r\n\r\n";
    PreferenceValues values;
    values.TimeFormat = "h:nn";
    IniStore store("memory.ini", IniLoading::Empty);
    store.SetFileContent(Written(before, values));

    EXPECT_EQ(store.ReadString("General", "Point", ""), "10,20");
    EXPECT_EQ(store.ReadString("General", "TopMostMode", ""), "1");
    EXPECT_EQ(store.ReadString("Font", "DateShadowColor", ""), "clRed");
    EXPECT_EQ(store.ReadString("Font", "TimeShadowColor", ""), "$00123456");
    EXPECT_EQ(store.ReadString("AlarmMessages", "1", ""), "起きて");
    EXPECT_EQ(store.ReadString("General", "TimeFormat", ""), "h:nn");
    const auto keys = store.ReadSection("General");
    ASSERT_GE(keys.size(), 3u);
    EXPECT_EQ(keys[1], "TimeFormat") << "an existing key keeps its place";
}

TEST(WritePosition, WritesPointAndTopMostMode) {
    for (const TopMostMode mode : {TopMostMode::On, TopMostMode::Off}) {
        IniStore store("memory.ini", IniLoading::Empty);
        store.SetFileContent("[General]\r\nDateFormat=dd\r\n");
        WritePosition(store, Point{-5, 300}, mode);
        EXPECT_EQ(store.ReadString("General", "Point", ""), "-5,300");
        EXPECT_EQ(store.ReadString("General", "TopMostMode", ""), mode == TopMostMode::On ? "1" : "0");
        EXPECT_EQ(store.ReadString("General", "DateFormat", ""), "dd");
    }
}

}  // namespace
}  // namespace kairos
