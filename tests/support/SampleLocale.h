#pragma once
// A Japanese locale with its usual settings, written out by hand so that the
// format language is tested apart from what ICU happens to ship.

#include <map>
#include <memory>
#include <tuple>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/Moment.h"
#include "platform/LocaleSource.h"

namespace kairos::testing {

// Answers era questions from a fixed table; every other value is empty.
class TableLocaleSource final : public platform::LocaleSource {
public:
    std::map<std::tuple<int, int, int>, platform::EraDate> eras;
    platform::RawLocaleValues values;

    platform::RawLocaleValues ReadValues() const override { return values; }
    std::optional<platform::EraDate> EraOf(int year, int month, int day) const override {
        const auto found = eras.find({year, month, day});
        if (found == eras.end()) return std::nullopt;
        return found->second;
    }
};

inline LocaleFormatSettings JapaneseExampleLocale() {
    LocaleFormatSettings locale;
    locale.ShortDatePicture = "yyyy/MM/dd";
    locale.LongDatePicture = "yyyy年M月d日";
    locale.ShortTimePicture = "h:mm";
    locale.LongTimePicture = "h:mm:ss";
    locale.AmText = "午前";
    locale.PmText = "午後";
    const char* days[] = {"日", "月", "火", "水", "木", "金", "土"};
    const char* longDays[] = {"日曜日", "月曜日", "火曜日", "水曜日", "木曜日", "金曜日", "土曜日"};
    for (int i = 1; i <= 7; ++i) {
        locale.DayShortNames[i] = days[i - 1];
        locale.DayLongNames[i] = longDays[i - 1];
    }
    for (int i = 1; i <= 12; ++i) {
        locale.MonthShortNames[i] = std::to_string(i) + "月";
        locale.MonthLongNames[i] = std::to_string(i) + "月";
    }
    locale.PrimaryLanguage = LangJapanese;
    locale.SubLanguage = 1;
    auto eras = std::make_shared<TableLocaleSource>();
    eras->eras[{2026, 12, 7}] = {"令和", 8};
    locale.Eras = eras;
    return locale;
}

// Monday 7 December 2026 at the given time of day.
inline Moment ExampleDay(int hour = 15, int minute = 4, int second = 5, int millisecond = 678) {
    return *TryEncodeDateTime(2026, 12, 7, hour, minute, second, millisecond);
}

}  // namespace kairos::testing
