// Code page 932 through the system's own table. The whole text is tried at
// once; only when it holds a sequence the table rejects is it taken apart,
// character by character, so each bad sequence is replaced on its own.

#include "platform/TextEncoding.h"

#include <windows.h>

#include <climits>
#include <cstddef>
#include <string>

#include "platform/win32/WideText.h"

namespace kairos::platform {
namespace {

constexpr UINT ShiftJis = 932;

// The UTF-16 of bytes, or nothing when the table rejects any of them.
std::optional<std::wstring> Convert(std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
    const int inLength = static_cast<int>(bytes.size());
    // A byte never becomes more than one UTF-16 unit in this code page.
    std::wstring wide(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(ShiftJis, MB_ERR_INVALID_CHARS, bytes.data(), inLength, wide.data(),
                                           static_cast<int>(wide.size()));
    if (length == 0) return std::nullopt;
    wide.resize(static_cast<std::size_t>(length));
    return wide;
}

// A lead byte takes the byte after it along. When the pair is no character,
// only the lead byte is lost: the next byte may begin one of its own.
DecodedText DecodePiecewise(std::string_view bytes) {
    DecodedText decoded;
    std::wstring pending;
    const auto flush = [&decoded, &pending] {
        decoded.text += Narrow(pending);
        pending.clear();
    };
    for (std::size_t pos = 0; pos < bytes.size();) {
        const bool lead = IsDBCSLeadByteEx(ShiftJis, static_cast<BYTE>(bytes[pos])) != 0;
        const std::size_t length = lead && pos + 1 < bytes.size() ? 2 : 1;
        const auto character = lead && length == 1 ? std::nullopt : Convert(bytes.substr(pos, length));
        if (character) {
            pending += *character;
            pos += length;
            continue;
        }
        flush();
        decoded.text += ReplacementCharacter;
        decoded.unreadable.push_back(pos++);
    }
    flush();
    return decoded;
}

}  // namespace

std::optional<DecodedText> DecodeCp932(std::string_view bytes) {
    if (!IsValidCodePage(ShiftJis)) return std::nullopt;
    if (const auto wide = Convert(bytes)) return DecodedText{Narrow(*wide), {}};
    return DecodePiecewise(bytes);
}

}  // namespace kairos::platform
