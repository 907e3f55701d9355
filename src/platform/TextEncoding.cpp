#include "platform/TextEncoding.h"

#include <cstddef>

namespace kairos::platform {
namespace {

// The second byte carries the tighter limits that rule out overlong forms
// (E0, F0), surrogates (ED) and code points above U+10FFFF (F4); all other
// continuation bytes span 80..BF.
struct LeadRule {
    std::size_t length;
    unsigned char secondLow;
    unsigned char secondHigh;
};

LeadRule RuleFor(unsigned char lead) {
    if (lead < 0x80) return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

bool InRange(char c, unsigned char low, unsigned char high) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= low && byte <= high;
}

// The length of the well-formed character at pos, or 0 when it is not one.
std::size_t CharacterLength(std::string_view bytes, std::size_t pos) {
    const LeadRule rule = RuleFor(static_cast<unsigned char>(bytes[pos]));
    if (rule.length <= 1) return rule.length;
    if (bytes.size() - pos < rule.length) return 0;
    if (!InRange(bytes[pos + 1], rule.secondLow, rule.secondHigh)) return 0;
    for (std::size_t i = 2; i < rule.length; ++i)
        if (!InRange(bytes[pos + i], 0x80, 0xBF)) return 0;
    return rule.length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = CharacterLength(bytes, pos);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

DecodedText DecodeUtf8(std::string_view bytes) {
    DecodedText decoded;
    decoded.text.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = CharacterLength(bytes, pos);
        if (length == 0) {
            decoded.text += ReplacementCharacter;
            decoded.unreadable.push_back(pos++);
        } else {
            decoded.text.append(bytes.substr(pos, length));
            pos += length;
        }
    }
    return decoded;
}

std::size_t CountUtf8MultiByteCharacters(std::string_view bytes) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = CharacterLength(bytes, pos);
        count += length > 1 ? 1 : 0;
        pos += length == 0 ? 1 : length;
    }
    return count;
}

}  // namespace kairos::platform
