#pragma once
// Helpers the fuzz drivers share for their failure reports.

#include <cstdio>
#include <string>
#include <string_view>

namespace kairos::fuzz {

// Control bytes spelled out, so a report shows exactly what went in and out.
inline std::string Visible(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace kairos::fuzz
