#include "clocktext/MultiReplace.h"

#include "platform/Utf8.h"

namespace kairos {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view text, std::size_t pos, std::string_view pattern, ReplaceFlags flags) {
    if (text.size() - pos < pattern.size()) return false;
    if (!HasFlag(flags, ReplaceFlags::IgnoreCase)) return text.compare(pos, pattern.size(), pattern) == 0;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (LowerAscii(text[pos + i]) != LowerAscii(pattern[i])) return false;
    return true;
}

std::string ReplaceOne(std::string_view text, std::string_view pattern, std::string_view replacement,
                       ReplaceFlags flags) {
    std::string result;
    result.reserve(text.size());
    std::size_t pos = 0;
    bool replaced = false;
    while (pos < text.size()) {
        const bool mayReplace = !replaced || HasFlag(flags, ReplaceFlags::ReplaceAll);
        if (mayReplace && MatchesAt(text, pos, pattern, flags)) {
            result.append(replacement);
            pos += pattern.size();
            replaced = true;
            continue;
        }
        const std::size_t length = Utf8CharLength(text, pos);
        result.append(text.substr(pos, length));
        pos += length;
    }
    return result;
}

}  // namespace

std::string MultiReplace(std::string_view text, const std::vector<std::string_view>& oldPatterns,
                         const std::vector<std::string_view>& newTexts, ReplaceFlags flags,
                         std::string_view fallback) {
    std::string result(text);
    for (std::size_t i = 0; i < oldPatterns.size(); ++i) {
        if (oldPatterns[i].empty()) continue;
        const std::string_view replacement = i < newTexts.size() ? newTexts[i] : fallback;
        result = ReplaceOne(result, oldPatterns[i], replacement, flags);
    }
    return result;
}

}  // namespace kairos
