// RenderTemplate replaces its six tokens in one scan; that must give exactly
// what replacing them one after the other with MultiReplace gives, for any
// template and any uptime. MultiReplace itself is driven with patterns from
// the input: it must finish, and replacing patterns by themselves must leave
// the text as it was (up to letter case when case is ignored).
//
// Input: 4 bytes of uptime counter, 1 byte of MultiReplace flags, then the
// template. For MultiReplace the template is split at NUL bytes: the first
// piece is the text, the rest alternate old pattern and new text (an odd one
// out has no new text and takes the fallback).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "FixedClock.h"
#include "FuzzText.h"
#include "clocktext/FormatMoment.h"
#include "clocktext/LocaleFormatSettings.h"
#include "clocktext/RenderTemplate.h"
#include "clocktext/MultiReplace.h"
#include "platform/Clock.h"
#include "platform/Moment.h"

namespace {

using kairos::fuzz::FixedClock;

using kairos::fuzz::Visible;

[[noreturn]] void Fail(const char* what, std::string_view input, std::string_view got, std::string_view expected) {
    std::fprintf(stderr, "%s\n  input (%zu bytes) \"%s\"\n  got      \"%s\"\n  expected \"%s\"\n", what, input.size(),
                 Visible(input).c_str(), Visible(got).c_str(), Visible(expected).c_str());
    std::abort();
}

template <typename... Args>
std::string Printed(const char* format, Args... args) {
    char buffer[32];
    const int length = std::snprintf(buffer, sizeof buffer, format, args...);
    return std::string(buffer, static_cast<std::size_t>(length));
}

void CheckSplit(std::uint32_t ticks, const kairos::SplitTime& split) {
    const std::uint64_t joined = split.hours * 3'600'000ull + split.minutes * 60'000ull + split.seconds * 1000ull +
                                 split.milliseconds;
    if (split.minutes >= 60 || split.seconds >= 60 || split.milliseconds >= 1000 || joined != ticks) {
        std::fprintf(stderr, "SplitMilliseconds(%u) gave %u h %u min %u s %u ms\n", ticks, unsigned{split.hours},
                     unsigned{split.minutes}, unsigned{split.seconds}, unsigned{split.milliseconds});
        std::abort();
    }
}

void CheckRenderTemplate(std::string_view templateText, std::uint32_t ticks) {
    static const kairos::LocaleFormatSettings locale;
    const kairos::Moment moment = *kairos::TryEncodeDateTime(2026, 12, 7, 15, 4, 5, 678);
    const kairos::SplitTime split = kairos::SplitMilliseconds(ticks);
    CheckSplit(ticks, split);

    // The values as the tokens are defined, in table order.
    const std::string values[] = {Printed("%d", split.hours),       Printed("%.2d", split.minutes),
                                  Printed("%.2d", split.seconds),   Printed("%.3u", ticks),
                                  Printed("%.3d", split.milliseconds), "\r\n"};
    const std::vector<std::string_view> oldPatterns(kairos::RunTimeTokens.begin(), kairos::RunTimeTokens.end());
    const std::vector<std::string_view> newTexts(std::begin(values), std::end(values));

    const std::string replaced =
        kairos::MultiReplace(templateText, oldPatterns, newTexts, kairos::ReplaceFlags::ReplaceAll, "");
    const std::string expected = kairos::FormatMoment(replaced, moment, locale);
    const std::string got = kairos::RenderTemplate(templateText, moment, FixedClock(ticks), locale);
    if (got != expected) Fail("RenderTemplate differs from MultiReplace + FormatMoment", templateText, got, expected);
}

std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

void CheckMultiReplace(std::string_view input, kairos::ReplaceFlags flags) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t nul = input.find('\0', start);
        pieces.push_back(input.substr(start, nul == std::string_view::npos ? std::string_view::npos : nul - start));
        if (nul == std::string_view::npos) break;
        start = nul + 1;
    }
    const std::string_view text = pieces.front();
    constexpr std::string_view fallback = "<fallback>";
    std::vector<std::string_view> oldPatterns;
    std::vector<std::string_view> newTexts;
    // Each pass works on the output of the one before, so a few patterns that
    // replace a byte by many grow the text exponentially; that is what the
    // operation means, not a fault. Patterns stop where the text could
    // outgrow this bound.
    constexpr std::size_t maxGrowth = 1 << 16;
    std::size_t bound = text.size();
    for (std::size_t i = 1; i < pieces.size(); i += 2) {
        const std::string_view oldPattern = pieces[i];
        const std::string_view newText = i + 1 < pieces.size() ? pieces[i + 1] : fallback;
        if (!oldPattern.empty() && newText.size() > oldPattern.size())
            bound += bound / oldPattern.size() * (newText.size() - oldPattern.size());
        if (bound > maxGrowth) break;
        oldPatterns.push_back(oldPattern);
        if (i + 1 < pieces.size()) newTexts.push_back(newText);
    }

    const std::string replaced = kairos::MultiReplace(text, oldPatterns, newTexts, flags, fallback);
    if (oldPatterns.empty() && replaced != text)
        Fail("MultiReplace without patterns changed the text", input, replaced, text);

    const std::string same = kairos::MultiReplace(text, oldPatterns, oldPatterns, flags, "");
    if (kairos::HasFlag(flags, kairos::ReplaceFlags::IgnoreCase)) {
        if (FoldCase(same) != FoldCase(text))
            Fail("MultiReplace of patterns by themselves (ignoring case) changed more than case", input, same, text);
    } else if (same != text) {
        Fail("MultiReplace of patterns by themselves changed the text", input, same, text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint32_t ticks = 0;
    if (size <= sizeof ticks) return 0;
    std::memcpy(&ticks, data, sizeof ticks);
    const auto flags = static_cast<kairos::ReplaceFlags>(data[sizeof ticks] & 3u);
    const std::string_view templateText(reinterpret_cast<const char*>(data) + sizeof ticks + 1,
                                        size - sizeof ticks - 1);

    CheckRenderTemplate(templateText, ticks);
    CheckMultiReplace(templateText, flags);
    return 0;
}
