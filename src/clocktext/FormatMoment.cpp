#include "clocktext/FormatMoment.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <optional>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/LocaleSource.h"
#include "platform/Utf8.h"

namespace kairos {
namespace {

// The fixed result buffer: once a piece does not fit, it is cut at a
// character boundary and everything after it is dropped.
class OutputBuffer {
public:
    void Append(std::string_view piece) {
        if (full_) return;
        std::size_t room = FormatMomentLimit - length_;
        std::size_t take = piece.size();
        if (take > room) {
            take = Utf8CutPoint(piece, room);
            full_ = true;
        }
        std::memcpy(bytes_.data() + length_, piece.data(), take);
        length_ += take;
        if (length_ == FormatMomentLimit) full_ = true;
    }
    // Single bytes are the hot path of a clock picture ("h:nn:ss"), so they
    // skip the cut logic: one ASCII byte either fits whole or fills the buffer.
    void Append(char byte) {
        if (full_) return;
        bytes_[length_++] = byte;
        if (length_ == FormatMomentLimit) full_ = true;
    }

    // Digits go into the middle of a scratch array so that the padding zeros
    // can be put in front of them and the whole number appended at once.
    void AppendNumber(long long value, int minDigits) {
        constexpr int kPadRoom = 24;
        std::array<char, 2 * kPadRoom> scratch;
        char* const digits = scratch.data() + kPadRoom;
        const auto end = std::to_chars(digits, scratch.data() + scratch.size(), value).ptr;
        const int count = static_cast<int>(end - digits);
        const int pad = std::clamp(minDigits - count, 0, kPadRoom);
        std::memset(digits - pad, '0', static_cast<std::size_t>(pad));
        Append(std::string_view(digits - pad, static_cast<std::size_t>(count + pad)));
    }

    bool Full() const { return full_; }
    std::string Text() const { return std::string(bytes_.data(), length_); }

private:
    std::array<char, FormatMomentLimit> bytes_;  // only [0, length_) is ever read
    std::size_t length_ = 0;
    bool full_ = false;
};

// Bytes equal to the one at pos, case included: Yyyy is a run of one and one of three.
std::size_t RunLength(std::string_view text, std::size_t pos) {
    std::size_t run = 1;
    while (pos + run < text.size() && text[pos + run] == text[pos]) ++run;
    return run;
}

// Letters whose repetition count selects the form (yy against yyyy).
constexpr bool IsCountedToken(char token) {
    constexpr std::string_view kCounted = "YMDEGHNSZTC";
    for (char c : kCounted)
        if (c == token) return true;
    return false;
}

char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsMultiByteAt(std::string_view text, std::size_t pos) {
    return Utf8CharLength(text, pos) > 1;
}

bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view form) {
    if (text.size() - pos < form.size()) return false;
    for (std::size_t i = 0; i < form.size(); ++i)
        if (UpperAscii(text[pos + i]) != form[i]) return false;
    return true;
}

bool IsTwelveHourMarkerAt(std::string_view text, std::size_t pos) {
    return StartsWithNoCase(text, pos, "AM/PM") || StartsWithNoCase(text, pos, "A/P") ||
           StartsWithNoCase(text, pos, "AMPM");
}

// Whether an hour at this point is read on a twelve-hour dial: the first a
// or A outside quotes before the next h decides.
bool MarkerFollows(std::string_view text, std::size_t pos) {
    bool inQuotes = false;
    while (pos < text.size()) {
        const std::size_t length = Utf8CharLength(text, pos);
        if (length == 1) {
            const char c = text[pos];
            if (c == 'h' || c == 'H') return false;
            if (c == '\'' || c == '"') inQuotes = !inQuotes;
            if ((c == 'a' || c == 'A') && !inQuotes) return IsTwelveHourMarkerAt(text, pos);
        }
        pos += length;
    }
    return false;
}

const std::string& NameAt(const auto& names, int index) {
    static const std::string none;
    return (index > 0 && static_cast<std::size_t>(index) < names.size()) ? names[static_cast<std::size_t>(index)]
                                                                          : none;
}

class Formatter {
public:
    Formatter(Moment moment, const LocaleFormatSettings& locale, OutputBuffer& out)
        : moment_(moment), locale_(locale), out_(out) {}

    void Pass(std::string_view picture);

private:
    struct PassState {
        char lastToken = ' ';
        bool twelveHour = false;
    };

    // Each token handler returns the number of bytes it consumed.
    std::size_t RenderToken(std::string_view p, std::size_t pos, char token, PassState& state);
    std::size_t RenderMarker(std::string_view p, std::size_t pos, PassState& state);
    std::size_t RenderQuoted(std::string_view p, std::size_t pos);
    void RenderHour(std::string_view p, std::size_t afterRun, std::size_t run, PassState& state);
    void RenderEraName(std::size_t run);
    void RenderEraYear(std::size_t run);
    void RenderDateAndTime();

    const DecodedDate& Date();
    const DecodedTime& Time();
    std::optional<platform::EraDate> Era();

    Moment moment_;
    const LocaleFormatSettings& locale_;
    OutputBuffer& out_;
    int level_ = 0;
    std::optional<MomentParts> parts_;
    std::optional<DecodedDate> date_;
    std::optional<DecodedTime> time_;
};

const DecodedDate& Formatter::Date() {
    if (!parts_) parts_ = SplitMoment(moment_);
    if (!date_) date_ = parts_->valid ? DecodeDay(parts_->day) : DecodedDate{};
    return *date_;
}

const DecodedTime& Formatter::Time() {
    if (!parts_) parts_ = SplitMoment(moment_);
    if (!time_) time_ = parts_->valid ? DecodeMillisecondOfDay(parts_->millisecondOfDay) : DecodedTime{};
    return *time_;
}

std::optional<platform::EraDate> Formatter::Era() {
    const DecodedDate& date = Date();
    if (!locale_.Eras || date.year == 0) return std::nullopt;
    return locale_.Eras->EraOf(date.year, date.month, date.day);
}

void Formatter::Pass(std::string_view p) {
    if (p.empty() || level_ >= 2) return;
    ++level_;
    PassState state;
    std::size_t pos = 0;
    while (pos < p.size()) {
        if (IsMultiByteAt(p, pos)) {
            const std::size_t length = Utf8CharLength(p, pos);
            out_.Append(p.substr(pos, length));
            state.lastToken = ' ';
            pos += length;
            continue;
        }
        char token = UpperAscii(p[pos]);
        if (token >= 'A' && token <= 'Z') {
            if (token == 'M' && state.lastToken == 'H') token = 'N';
            state.lastToken = token;
        }
        pos += RenderToken(p, pos, token, state);
        if (out_.Full()) break;  // nothing more can show
    }
    --level_;
}

std::size_t Formatter::RenderToken(std::string_view p, std::size_t pos, char token, PassState& state) {
    const bool counted = IsCountedToken(token);
    const std::size_t run = counted ? RunLength(p, pos) : 1;
    switch (token) {
    case 'Y':
        if (run <= 2) out_.AppendNumber(Date().year % 100, 2);
        else out_.AppendNumber(Date().year, 4);
        return run;
    case 'M':
        if (run <= 2) out_.AppendNumber(Date().month, static_cast<int>(run));
        else if (run == 3) out_.Append(NameAt(locale_.MonthShortNames, Date().month));
        else out_.Append(NameAt(locale_.MonthLongNames, Date().month));
        return run;
    case 'D':
        if (run <= 2) out_.AppendNumber(Date().day, static_cast<int>(run));
        else if (run == 3) out_.Append(NameAt(locale_.DayShortNames, Date().dayOfWeek));
        else if (run == 4) out_.Append(NameAt(locale_.DayLongNames, Date().dayOfWeek));
        else if (run == 5) Pass(locale_.ShortDatePicture);
        else Pass(locale_.LongDatePicture);
        return run;
    case 'E':
        RenderEraYear(run);
        return run;
    case 'G':
        RenderEraName(run);
        return run;
    case 'H':
        RenderHour(p, pos + run, run, state);
        return run;
    case 'N':
        out_.AppendNumber(Time().minute, run == 1 ? 1 : 2);
        return run;
    case 'S':
        out_.AppendNumber(Time().second, run == 1 ? 1 : 2);
        return run;
    case 'Z':
        out_.AppendNumber(Time().millisecond, run >= 3 ? 3 : static_cast<int>(run));
        return run;
    case 'T':
        Pass(run == 1 ? locale_.ShortTimePicture : locale_.LongTimePicture);
        return run;
    case 'C':
        RenderDateAndTime();
        return run;
    case 'A':
        return RenderMarker(p, pos, state);
    case '/':
        if (locale_.DateSeparatorChar != '\0') out_.Append(locale_.DateSeparatorChar);
        return 1;
    case ':':
        if (locale_.TimeSeparatorChar != '\0') out_.Append(locale_.TimeSeparatorChar);
        return 1;
    case '\'':
    case '"':
        return RenderQuoted(p, pos);
    default:
        out_.Append(p[pos]);
        return 1;
    }
}

void Formatter::RenderHour(std::string_view p, std::size_t afterRun, std::size_t run, PassState& state) {
    if (!state.twelveHour && MarkerFollows(p, afterRun)) state.twelveHour = true;
    int hour = Time().hour;
    if (state.twelveHour) {
        if (hour == 0) hour = 12;
        else if (hour > 12) hour -= 12;
    }
    out_.AppendNumber(hour, run == 1 ? 1 : 2);
}

std::size_t Formatter::RenderMarker(std::string_view p, std::size_t pos, PassState& state) {
    const bool morning = Time().hour < 12;
    if (StartsWithNoCase(p, pos, "AM/PM")) {
        out_.Append(morning ? p.substr(pos, 2) : p.substr(pos + 3, 2));
        state.twelveHour = true;
        return 5;
    }
    if (StartsWithNoCase(p, pos, "A/P")) {
        out_.Append(morning ? p[pos] : p[pos + 2]);
        state.twelveHour = true;
        return 3;
    }
    if (StartsWithNoCase(p, pos, "AMPM")) {
        out_.Append(morning ? locale_.AmText : locale_.PmText);
        state.twelveHour = true;
        return 4;
    }
    if (StartsWithNoCase(p, pos, "AAAA")) {
        out_.Append(NameAt(locale_.DayLongNames, Date().dayOfWeek));
        return 4;
    }
    if (StartsWithNoCase(p, pos, "AAA")) {
        out_.Append(NameAt(locale_.DayShortNames, Date().dayOfWeek));
        return 3;
    }
    out_.Append(p[pos]);
    return 1;
}

std::size_t Formatter::RenderQuoted(std::string_view p, std::size_t pos) {
    const char quote = p[pos];
    std::size_t end = pos + 1;
    while (end < p.size() && p[end] != quote) end += Utf8CharLength(p, end);
    out_.Append(p.substr(pos + 1, end - pos - 1));
    return (end < p.size() ? end + 1 : p.size()) - pos;
}

void Formatter::RenderEraName(std::size_t run) {
    const auto era = Era();
    if (!era) return;
    std::string_view name = era->name;
    if (run == 1 && locale_.PrimaryLanguage == LangJapanese && !name.empty()) {
        name = name.substr(0, Utf8CharLength(name, 0));
    } else if (run == 1 && locale_.PrimaryLanguage == LangChinese &&
               locale_.SubLanguage == SubLangChineseTraditional && Utf8CharCount(name) == 4) {
        std::size_t third = 0;
        for (int i = 0; i < 2; ++i) third += Utf8CharLength(name, third);
        name = name.substr(third);
    }
    out_.Append(name);
}

void Formatter::RenderEraYear(std::size_t run) {
    const auto era = Era();
    if (!era) return;
    // Era years are never cut to two digits: Republic of China years passed 99 in 2011.
    out_.AppendNumber(era->year, run >= 3 ? 4 : static_cast<int>(run));
}

void Formatter::RenderDateAndTime() {
    Pass(locale_.ShortDatePicture);
    const DecodedTime& time = Time();
    if (time.hour != 0 || time.minute != 0 || time.second != 0) {
        out_.Append(' ');
        Pass(locale_.LongTimePicture);
    }
}

}  // namespace

std::string FormatMoment(std::string_view format, Moment moment, const LocaleFormatSettings& locale) {
    OutputBuffer out;
    Formatter formatter(moment, locale, out);
    formatter.Pass(format.empty() ? std::string_view("C") : format);
    return out.Text();
}

std::string FormatMoment(std::string_view format, Moment moment) {
    return FormatMoment(format, moment, CurrentLocaleFormatSettings());
}

}  // namespace kairos
