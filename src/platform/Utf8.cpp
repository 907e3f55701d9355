#include "platform/Utf8.h"

namespace kairos {

std::size_t Utf8CutPoint(std::string_view text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return text.size();
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + Utf8CharLength(text, end);
        if (next > maxBytes) break;
        end = next;
    }
    return end;
}

std::size_t Utf8CharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += Utf8CharLength(text, pos)) ++count;
    return count;
}

}  // namespace kairos
