// Alarms read from and written to sections and the alarm file, the list
// text, and the backup kept when a load could not read every alarm.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "support/SampleLocale.h"
#include "support/FakeClock.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

constexpr std::string_view InvalidElement = " はプロパティの要素としては不正です。";

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Moment Clock(int hour, int minute) {
    return *TryEncodeTime(hour, minute, 0, 0);
}

std::unique_ptr<Alarm> MakeAlarm(AlarmKind kind, WeekdaySet weeks, Moment date, Moment time,
                                 SnoozeInterval snooze = SnoozeInterval::Off, std::string message = "",
                                 std::string command = "", bool once = false) {
    return std::make_unique<Alarm>(Alarm{kind, date, time, weeks, snooze, message, command, once});
}

// The store's date and time writers follow the process-wide locale.
// Monday 7 December 2026, 15:04:05.678.
class AlarmFileTest : public ::testing::Test {
protected:
    AlarmFileTest() : saved_(CurrentLocaleFormatSettings()) {
        SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
        clock.now = testing::ExampleDay();
    }
    ~AlarmFileTest() override { SetCurrentLocaleFormatSettings(saved_); }

    AlarmList List() const { return AlarmList(dir.File("Alarm.ini"), clock); }

    std::unique_ptr<Alarm> LoadSection(const std::string& body) const {
        IniStore store("Alarm.ini", IniLoading::Empty);
        store.SetFileContent("[A]\n" + body);
        return Alarm::LoadFromIni(store, "A", clock);
    }

    std::vector<std::string> SectionsOnDisk() const { return IniStore(dir.File("Alarm.ini")).ReadSections(); }

    testing::TempDir dir;
    testing::FakeClock clock;

private:
    LocaleFormatSettings saved_;
};

TEST_F(AlarmFileTest, WritesTheSectionLineByLine) {
    AlarmList list = List();
    list.Add(MakeAlarm(AlarmKind::Weekly, 0x3E, testing::ExampleDay(), Clock(7, 30), SnoozeInterval::FiveMinutes));
    list.Add(MakeAlarm(AlarmKind::OnDate, 0, 0, 0));
    list.SaveToFile();
    EXPECT_EQ(Contents(list.FileName()),
              "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nDate=2026/12/07\r\nTime=07:30:00\r\n"
              "Weeks=wMon,wTue,wWed,wThu,wFri\r\nSnooze=sn5Minutes\r\nMessage=\r\nCommand=\r\nRemoveOnExec=0\r\n\r\n"
              "[Alarm2]\r\nAlarmKind=akAtDate\r\nDate=1899/12/30\r\nTime=00:00:00\r\n"
              "Weeks=\r\nSnooze=snDisable\r\nMessage=\r\nCommand=\r\nRemoveOnExec=0\r\n\r\n");
}

TEST_F(AlarmFileTest, WhatIsWrittenReadsBackEqual) {
    const Moment jan3 = *TryEncodeDate(2027, 1, 3);
    const Alarm alarms[] = {
        {AlarmKind::Weekly, jan3, Clock(7, 5), 0x2A, SnoozeInterval::TenMinutes, "起床", "/usr/bin/true --flag", true},
        {AlarmKind::OnDate, jan3 + 0.75, Clock(23, 59), 0, SnoozeInterval::FifteenMinutes, "日付 の メモ", "", false},
        {AlarmKind::AtTickCount, jan3, Clock(0, 0), AllWeekdays, SnoozeInterval::Off, "tick", "x", false},
    };
    AlarmList list = List();
    for (const Alarm& alarm : alarms) list.Add(std::make_unique<Alarm>(alarm));
    list.SaveToFile();

    AlarmList reread = List();
    reread.LoadFromFile();
    ASSERT_EQ(reread.Count(), std::size(alarms));
    for (std::size_t i = 0; i < std::size(alarms); ++i) {
        const Alarm& a = reread[i];
        const Alarm& e = alarms[i];
        EXPECT_EQ(std::tie(a.Kind, a.Time, a.Weeks, a.Snooze, a.Message, a.Command, a.RemoveOnExec),
                  std::tie(e.Kind, e.Time, e.Weeks, e.Snooze, e.Message, e.Command, e.RemoveOnExec));
        EXPECT_EQ(a.Date, jan3) << "only the day is kept";
    }
}

TEST_F(AlarmFileTest, MissingFileIsAnEmptyList) {
    AlarmList list = List();
    list.Add(MakeAlarm(AlarmKind::Weekly, 0, 0, 0));
    list.LoadFromFile();
    EXPECT_EQ(list.Count(), 0u);
}

TEST_F(AlarmFileTest, SaveRenumbersAndDropsEverythingElse) {
    std::string six = "[Foo]\r\nMessage=foo\r\n";
    for (int i = 2; i <= 6; ++i) six += "[Alarm" + std::to_string(i) + "]\r\nMessage=" + std::to_string(i) + "\r\n";
    dir.Write("Alarm.ini", six);
    AlarmList list = List();
    list.LoadFromFile();
    ASSERT_EQ(list.Count(), 6u);
    list.Delete(5);
    list.Delete(1);
    list.Replace(1, MakeAlarm(AlarmKind::Weekly, 0, 0, 0, SnoozeInterval::Off, "new"));
    list.Delete(3);
    list.Delete(2);
    list.SaveToFile();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alarm1", "Alarm2"}));
    const IniStore saved(list.FileName());
    EXPECT_EQ(saved.ReadString("Alarm1", "Message", ""), "foo");
    EXPECT_EQ(saved.ReadString("Alarm2", "Message", ""), "new");
}

TEST_F(AlarmFileTest, KindIsReadFromEitherKeyAndWrittenUnderOne) {
    const std::pair<const char*, AlarmKind> cases[] = {
        {"AlermKind=akAtDate\n", AlarmKind::OnDate},
        {"AlarmKind=akAtWeeks\nAlermKind=akAtDate\n", AlarmKind::Weekly},
        {"AlermKind=akAtDate\nAlarmKind=akAtTickCount\n", AlarmKind::AtTickCount},
        {"Message=x\n", AlarmKind::Weekly},
        {"alermkind=AKATDATE\n", AlarmKind::OnDate},
    };
    for (const auto& [body, kind] : cases) {
        const std::unique_ptr<Alarm> alarm = LoadSection(body);
        EXPECT_EQ(alarm->Kind, kind) << body;
        IniStore written("out.ini", IniLoading::Empty);
        alarm->SaveToIni(written, "Alarm1");
        EXPECT_FALSE(written.ValueExists("Alarm1", "AlermKind")) << body;
    }
}

TEST_F(AlarmFileTest, WeekSetsInAnySpelling) {
    const std::pair<const char*, WeekdaySet> cases[] = {
        {"Weeks=[wSun, wSat]\n", 0x41}, {"Weeks=wsun,WSAT\n", 0x41},     {"Weeks=wSun wSat\n", 0x41},
        {"Weeks=[ [wSat ,, ] wSun]]\n", 0x41}, {"Weeks=wSun,wSun\n", 0x01}, {"Weeks=\n", 0},
        {"Weeks=[]\n", 0},                      {"Message=x\n", 0},
    };
    for (const auto& [body, weeks] : cases) EXPECT_EQ(LoadSection(body)->Weeks, weeks) << body;
}

TEST_F(AlarmFileTest, ConversionErrorsNameTheOffendingText) {
    const std::pair<std::string, std::string> cases[] = {
        {"Snooze=sn20Minutes\n", "sn20Minutes"}, {"Snooze=\n", ""},         {"AlarmKind=\n", ""},
        {"AlermKind=\n", ""},                    {"AlarmKind=1\n", "1"},    {"AlarmKind=akAt\n", "akAt"},
        {"Weeks=[wSun, wFoo]\n", "wFoo"},        {"Weeks=wSun\twSat\n", "wSun\twSat"},
        {"Weeks=0\n", "0"},                      {std::string("Snooze=sn\0x\n", 12), "sn\uFFFDx"},
    };
    for (const auto& [body, offending] : cases) {
        try {
            LoadSection(body);
            ADD_FAILURE() << "no conversion error: " << body;
        } catch (const ValueFormatError& error) {
            EXPECT_EQ(error.what(), offending + std::string(InvalidElement));
        }
    }
}

// Every field keeps its default: today, the moment of loading, empty or off.
TEST_F(AlarmFileTest, MissingAndEmptyValuesTakeTheDefaults) {
    const char* bodies[] = {"", "Date=\nTime=\nWeeks=\nMessage=\nCommand=\nRemoveOnExec=\n", "RemoveOnExec=yes\n"};
    for (const char* body : bodies) {
        const std::unique_ptr<Alarm> alarm = LoadSection(body);
        EXPECT_EQ(alarm->Date, *TryEncodeDate(2026, 12, 7)) << body;
        EXPECT_EQ(alarm->Time, clock.now) << body;
        EXPECT_EQ(alarm->DisplayText(), "無題 -  15:04") << body;
        EXPECT_EQ(std::tie(alarm->Kind, alarm->Weeks, alarm->Snooze, alarm->Message, alarm->Command),
                  std::make_tuple(AlarmKind::Weekly, WeekdaySet{0}, SnoozeInterval::Off, std::string(), std::string()));
        EXPECT_FALSE(alarm->RemoveOnExec) << body;
    }
}

// A date or time that is there but cannot be read would otherwise make the
// alarm due today, or never.
TEST_F(AlarmFileTest, UnreadableDatesAndTimesAreConversionErrors) {
    const std::pair<const char*, const char*> cases[] = {
        {"Date=someday\n", "'someday' は正しい日付ではありません"},
        {"Date=2026/13/01\n", "'2026/13/01' は正しい日付ではありません"},
        {"Time=7:61:00\n", "'7:61:00' は正しい時刻ではありません"},
        {"Time=25:00:00\n", "'25:00:00' は正しい時刻ではありません"},
    };
    for (const auto& [body, message] : cases) {
        try {
            LoadSection(body);
            ADD_FAILURE() << "no conversion error: " << body;
        } catch (const ValueFormatError& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

TEST_F(AlarmFileTest, EverySectionIsAnAlarmEvenWhenTwoShareAName) {
    dir.Write("Alarm.ini", "[Alarm1]\r\nMessage=first\r\n[Alarm1]\r\nMessage=second\r\n[alarm1]\r\nMessage=third\r\n");
    AlarmList list = List();
    list.LoadFromFile();
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list[0].Message + list[1].Message + list[2].Message, "firstsecondthird");
}

TEST_F(AlarmFileTest, MissingTimeIsShownAsTheLoadingTimeAndNeverDue) {
    const std::unique_ptr<Alarm> alarm = LoadSection("AlarmKind=akAtDate\nSnooze=sn5Minutes\n");
    EXPECT_EQ(alarm->DisplayText(), "無題 - 12/07 15:04");
    for (int minute = 0; minute < 24 * 60; ++minute)
        ASSERT_FALSE(alarm->IsAlarmTime(*TryEncodeDateTime(2026, 12, 7, minute / 60, minute % 60, 0, 0))) << minute;
}

TEST_F(AlarmFileTest, DisplayTextShowsTitleDaysAndTime) {
    const std::pair<std::unique_ptr<Alarm>, const char*> cases[] = {
        {MakeAlarm(AlarmKind::Weekly, AllWeekdays, 0, Clock(7, 5), SnoozeInterval::Off, "起床"), "起床 - 毎 7:05"},
        {MakeAlarm(AlarmKind::Weekly, 0, 0, Clock(7, 5)), "無題 -  7:05"},
        {MakeAlarm(AlarmKind::Weekly, 0x2A, 0, Clock(7, 30)), "無題 - 月水金 7:30"},
        {MakeAlarm(AlarmKind::Weekly, 0x3F, 0, Clock(23, 59)), "無題 - 日月火水木金 23:59"},
        {MakeAlarm(AlarmKind::OnDate, AllWeekdays, *TryEncodeDate(2027, 1, 3), Clock(12, 0)), "無題 - 1/03 12:00"},
        {MakeAlarm(AlarmKind::AtTickCount, AllWeekdays, 0, Clock(7, 30), SnoozeInterval::Off, "t"), "t - "},
    };
    for (const auto& [alarm, text] : cases) EXPECT_EQ(alarm->DisplayText(), text);
}

// ---- A load that could not read every alarm ------------------------------------

constexpr std::string_view FourWithBadThird =
    "; kept by hand\r\n"
    "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nTime=7:30:00\r\nWeeks=wMon\r\nMessage=one\r\n\r\n"
    "[Alarm2]\r\nAlarmKind=akAtDate\r\nDate=2026/12/24\r\nTime=18:00:00\r\nMessage=two\r\n\r\n"
    "[Alarm3]\r\nTime=9:00:00\r\nSnooze=sn20Minutes\r\nMessage=three\r\n\r\n"
    "[Alarm4]\r\nTime=10:00:00\r\nMessage=four\r\n";

class AlarmBackupTest : public AlarmFileTest {
protected:
    AlarmBackupTest() { dir.Write("Alarm.ini", FourWithBadThird); }

    AlarmList LoadedWithError() const {
        AlarmList list = List();
        EXPECT_THROW(list.LoadFromFile(), ValueFormatError);
        return list;
    }
};

TEST_F(AlarmBackupTest, ErrorKeepsTheAlarmsBeforeAndNamesTheBackup) {
    AlarmList list = List();
    try {
        list.LoadFromFile();
        ADD_FAILURE() << "no conversion error";
    } catch (const ValueFormatError& error) {
        EXPECT_EQ(error.what(), "sn20Minutes" + std::string(InvalidElement) + "\n保存するときは元のファイルを " +
                                    dir.File("Alarm.ini.bak") + " に残します。");
    }
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_EQ(list[1].Message, "two");
    EXPECT_FALSE(std::filesystem::exists(list.BackupPath())) << "loading alone changes nothing";
}

TEST_F(AlarmBackupTest, EverySaveOfThatLoadLeavesTheOriginalBytesBeside) {
    AlarmList list = LoadedWithError();
    list.SaveToFile();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alarm1", "Alarm2"}));
    EXPECT_EQ(Contents(dir.File("Alarm.ini.bak")), FourWithBadThird);
    list.Delete(0);
    list.SaveToFile();
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alarm1"}));
    EXPECT_EQ(Contents(dir.File("Alarm.ini.bak")), FourWithBadThird) << "not replaced by the shortened file";
}

TEST_F(AlarmBackupTest, ATakenBackupNameIsNeverReplaced) {
    dir.Write("Alarm.ini.bak", "an older backup");
    AlarmList list = LoadedWithError();
    list.SaveToFile();
    EXPECT_EQ(Contents(dir.File("Alarm.ini.bak")), "an older backup");
    EXPECT_EQ(Contents(dir.File("Alarm.ini.1.bak")), FourWithBadThird);
}

// The clock's own list fires a remove-once alarm and saves while the alarm
// dialog, loaded from the same damaged file, is open; the dialog's OK comes
// second and must not replace the backup of the unreadable alarms.
TEST_F(AlarmBackupTest, TwoListsOfOneDamagedFileEachKeepWhatTheyFound) {
    AlarmList clock = LoadedWithError();
    AlarmList dialog = LoadedWithError();
    clock.Delete(0);
    clock.SaveToFile();
    dialog.SaveToFile();
    EXPECT_EQ(Contents(dir.File("Alarm.ini.bak")), FourWithBadThird);
    EXPECT_TRUE(std::filesystem::exists(dir.File("Alarm.ini.1.bak")));
    EXPECT_EQ(SectionsOnDisk(), (std::vector<std::string>{"Alarm1", "Alarm2"}));
}

TEST_F(AlarmBackupTest, CleanReloadEndsTheNeedForABackup) {
    AlarmList list = LoadedWithError();
    dir.Write("Alarm.ini", "[Alarm1]\r\nMessage=ok\r\n");
    list.LoadFromFile();
    list.SaveToFile();
    EXPECT_FALSE(std::filesystem::exists(list.BackupPath()));
}

}  // namespace
}  // namespace kairos
