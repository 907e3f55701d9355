// The clock sleeps until the next boundary of the unit AnalyseTemplate
// answers, so any template rendered twice within one such unit must give the
// same text: once for two wall moments under a fixed tick count, once for two
// tick counts at a fixed wall moment.
//
// Input: 1 byte choosing the locale, 4 bytes of tick count, 4 bytes of
// millisecond of the day, 2 bytes of day, 4 bytes choosing the second point
// in the interval, then the template.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "FixedClock.h"
#include "FuzzText.h"
#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "clocktext/TemplateChange.h"
#include "platform/Clock.h"
#include "platform/Moment.h"

namespace {

using kairos::ChangeUnit;

using kairos::fuzz::FixedClock;

// Seconds in the short time but not the long, and a long date whose only
// token is nested too deep to render.
kairos::LocaleFormatSettings UnusualLocale() {
    kairos::LocaleFormatSettings locale;
    locale.ShortTimePicture = "h:nn:ss";
    locale.LongTimePicture = "h:nn";
    locale.ShortDatePicture = "yyyy-mm-dd";
    locale.LongDatePicture = "'zzz' tt";
    return locale;
}

// Pictures that name pictures, quote and use every marker.
kairos::LocaleFormatSettings NestingLocale() {
    kairos::LocaleFormatSettings locale;
    locale.ShortDatePicture = "d/M/yy tt 's' ddddd c";
    locale.LongDatePicture = "dddd d MMMM yyyy ggg e \"z";
    locale.ShortTimePicture = "AM/PM h:nn c";
    locale.LongTimePicture = "h:nn:ss a/p t aaa";
    return locale;
}

const kairos::LocaleFormatSettings& LocaleFor(std::uint8_t choice) {
    static const kairos::LocaleFormatSettings english;
    static const kairos::LocaleFormatSettings unusual = UnusualLocale();
    static const kairos::LocaleFormatSettings nesting = NestingLocale();
    switch (choice % 3) {
    case 1:
        return unusual;
    case 2:
        return nesting;
    default:
        return english;
    }
}

template <typename T>
T Read(const std::uint8_t*& data) {
    T value;
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    return value;
}

// Days counted from 2000-01-01, whole and positive, so that a moment's
// fraction is the time of day.
kairos::Moment MomentAt(std::uint32_t day, std::uint32_t millisecondOfDay) {
    const kairos::DecodedTime time = kairos::DecodeMillisecondOfDay(millisecondOfDay);
    return kairos::ComposeDateTime(36'526.0 + day,
                                   *kairos::TryEncodeTime(time.hour, time.minute, time.second, time.millisecond));
}

// Milliseconds in the unit; none for a unit the clock does not sleep through.
std::uint32_t UnitLength(ChangeUnit unit) {
    switch (unit) {
    case ChangeUnit::Second:
        return 1000;
    case ChangeUnit::Minute:
        return 60'000;
    case ChangeUnit::Never:
    case ChangeUnit::Millisecond:
        break;
    }
    return 0;
}

// Another position in the same unit as the first: for Never anywhere at all.
std::uint64_t SameUnitPosition(std::uint64_t first, ChangeUnit unit, std::uint32_t choice, std::uint64_t limit) {
    const std::uint32_t length = UnitLength(unit);
    if (length == 0) return choice % limit;
    return std::min(first - first % length + choice % length, limit - 1);
}

const char* UnitName(ChangeUnit unit) {
    switch (unit) {
    case ChangeUnit::Never:
        return "never";
    case ChangeUnit::Millisecond:
        return "millisecond";
    case ChangeUnit::Second:
        return "second";
    case ChangeUnit::Minute:
        return "minute";
    }
    return "?";
}

void CheckSame(const char* what, ChangeUnit unit, std::string_view templateText, const std::string& first,
               const std::string& second) {
    if (first == second) return;
    std::fprintf(stderr, "%s: answered %s, yet the text changed within one\n  template \"%s\"\n  first  \"%s\"\n  "
                 "second \"%s\"\n",
                 what, UnitName(unit), kairos::fuzz::Visible(templateText).c_str(),
                 kairos::fuzz::Visible(first).c_str(), kairos::fuzz::Visible(second).c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t header = 1 + 4 + 4 + 2 + 4;
    if (size < header) return 0;
    const std::uint8_t* cursor = data;
    const kairos::LocaleFormatSettings& locale = LocaleFor(Read<std::uint8_t>(cursor));
    const auto ticks = Read<std::uint32_t>(cursor);
    const auto millisecondOfDay = static_cast<std::uint32_t>(Read<std::uint32_t>(cursor) % kairos::MillisecondsPerDay);
    const auto day = Read<std::uint16_t>(cursor);
    const auto choice = Read<std::uint32_t>(cursor);
    const std::string_view templateText(reinterpret_cast<const char*>(cursor), size - header);

    const kairos::TemplateChange change = kairos::AnalyseTemplate(templateText, locale);
    const FixedClock clock(ticks);
    const kairos::Moment moment = MomentAt(day, millisecondOfDay);
    const std::string text = kairos::RenderTemplate(templateText, moment, clock, locale);

    if (change.wall != ChangeUnit::Millisecond) {
        const auto otherMs = static_cast<std::uint32_t>(
            SameUnitPosition(millisecondOfDay, change.wall, choice, kairos::MillisecondsPerDay));
        // Never holds across days as well.
        const std::uint32_t otherDay = change.wall == ChangeUnit::Never ? day + (choice >> 20) : day;
        CheckSame("wall clock", change.wall, templateText, text,
                  kairos::RenderTemplate(templateText, MomentAt(otherDay, otherMs), clock, locale));
    }
    if (change.uptime != ChangeUnit::Millisecond) {
        constexpr std::uint64_t tickLimit = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
        const auto otherTicks = static_cast<std::uint32_t>(SameUnitPosition(ticks, change.uptime, choice, tickLimit));
        CheckSame("uptime", change.uptime, templateText, text,
                  kairos::RenderTemplate(templateText, moment, FixedClock(otherTicks), locale));
    }
    return 0;
}
