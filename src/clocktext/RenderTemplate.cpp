#include "clocktext/RenderTemplate.h"

#include <algorithm>
#include <charconv>

#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"

namespace kairos {
namespace {

// A token's value: at most ten digits, or the line break.
struct TokenValue {
    std::array<char, 12> text{};
    std::size_t length = 0;

    std::string_view View() const { return {text.data(), length}; }
};

TokenValue Number(std::uint32_t value, int minDigits) {
    TokenValue out;
    std::array<char, 12> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    const auto count = static_cast<std::size_t>(end - digits.data());
    const std::size_t zeros = count < static_cast<std::size_t>(minDigits) ? minDigits - count : 0;
    std::fill_n(out.text.begin(), zeros, '0');
    std::copy(digits.data(), end, out.text.begin() + static_cast<std::ptrdiff_t>(zeros));
    out.length = zeros + count;
    return out;
}

std::array<TokenValue, RunTimeTokens.size()> TokenValues(const platform::Clock& clock) {
    const SplitTime uptime = SplitMilliseconds(clock.TickCount());
    TokenValue lineBreak;
    lineBreak.text[0] = '\r';
    lineBreak.text[1] = '\n';
    lineBreak.length = 2;
    // The raw counter is read again, so it may be a little later than the split.
    return {Number(uptime.hours, 1), Number(uptime.minutes, 2),   Number(uptime.seconds, 2),
            Number(clock.TickCount(), 3), Number(uptime.milliseconds, 3), lineBreak};
}

// Every token starts with '%' and holds no other; every value is digits or a
// line break, never part of a token. So one left-to-right scan that tries the
// tokens in table order at each '%' gives what replacing them one after the
// other gives, without the intermediate strings.
template <typename Sink>
void ReplaceTokens(std::string_view text, const std::array<TokenValue, RunTimeTokens.size()>& values, Sink& sink) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t percent = text.find('%', pos);
        sink.append(text.substr(pos, percent == std::string_view::npos ? std::string_view::npos : percent - pos));
        if (percent == std::string_view::npos) return;
        pos = percent;
        std::size_t token = 0;
        while (token < RunTimeTokens.size() && text.compare(pos, RunTimeTokens[token].size(), RunTimeTokens[token]) != 0)
            ++token;
        if (token == RunTimeTokens.size()) {
            sink.append(text.substr(pos, 1));
            ++pos;
        } else {
            sink.append(values[token].View());
            pos += RunTimeTokens[token].size();
        }
    }
}

// Keeps a rendered template on the stack when it is of ordinary length, so a
// tick costs no allocation beyond the result.
class ScratchText {
public:
    void append(std::string_view piece) {
        if (spilled_.empty() && length_ + piece.size() <= inline_.size()) {
            std::copy(piece.begin(), piece.end(), inline_.begin() + static_cast<std::ptrdiff_t>(length_));
            length_ += piece.size();
            return;
        }
        if (spilled_.empty()) spilled_.assign(inline_.data(), length_);
        spilled_.append(piece);
    }
    std::string_view View() const { return spilled_.empty() ? std::string_view(inline_.data(), length_) : spilled_; }

private:
    std::array<char, 512> inline_;  // only [0, length_) is ever read
    std::size_t length_ = 0;
    std::string spilled_;
};

}  // namespace

SplitTime SplitMilliseconds(std::uint32_t t) {
    SplitTime split;
    split.hours = static_cast<std::uint16_t>(t / 3'600'000u);
    t -= split.hours * 3'600'000u;
    split.minutes = static_cast<std::uint16_t>(t / 60'000u);
    t -= split.minutes * 60'000u;
    split.seconds = static_cast<std::uint16_t>(t / 1000u);
    split.milliseconds = static_cast<std::uint16_t>(t - split.seconds * 1000u);
    return split;
}

std::string RenderTemplate(std::string_view templateText, Moment moment, const platform::Clock& clock,
                           const LocaleFormatSettings& locale) {
    if (templateText.find('%') == std::string_view::npos) return FormatMoment(templateText, moment, locale);
    ScratchText replaced;
    ReplaceTokens(templateText, TokenValues(clock), replaced);
    return FormatMoment(replaced.View(), moment, locale);
}

std::string RenderTemplate(std::string_view templateText, Moment moment) {
    return RenderTemplate(templateText, moment, platform::SystemClock(), CurrentLocaleFormatSettings());
}

}  // namespace kairos
