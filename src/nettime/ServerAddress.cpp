#include "nettime/ServerAddress.h"
#include "platform/AsciiCase.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kairos {
namespace {

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 || value > 0xFFFF)
        return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

std::optional<std::uint8_t> ParseQuadPart(std::string_view part) {
    if (part.empty()) return std::nullopt;
    int value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 255) return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace

std::optional<ServerAddress> ParseServerAddress(std::string_view text) {
    text = Trimmed(text);
    ServerAddress address;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        address.host = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            const auto port = rest.starts_with(':') ? ParsePort(rest.substr(1)) : std::nullopt;
            if (!port) return std::nullopt;
            address.port = *port;
        }
    } else if (const std::size_t colon = text.find(':');
               colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
        const auto port = ParsePort(text.substr(colon + 1));
        if (!port) return std::nullopt;
        address.host = text.substr(0, colon);
        address.port = *port;
    } else {
        address.host = text;
    }
    // A bracket left in the host is an unbalanced one, and blanks inside the
    // brackets or before the colon are no part of any name or address.
    if (address.host.empty() || address.host.find_first_of("[]") != std::string::npos ||
        Trimmed(address.host) != address.host)
        return std::nullopt;
    return address;
}

std::optional<platform::IpAddress> ParseDottedQuad(std::string_view text) {
    platform::IpAddress address;
    for (std::size_t index = 0; index < 4; ++index) {
        const bool last = index == 3;
        const std::size_t dot = last ? std::string_view::npos : text.find('.');
        const auto part = ParseQuadPart(text.substr(0, dot));
        if (!part) return std::nullopt;
        address.bytes[index] = *part;
        text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    }
    return address;
}

bool IsDottedQuad(std::string_view text) { return ParseDottedQuad(text).has_value(); }

platform::LookupOutcome ResolveServer(const std::string& host, const HostLookupFunction& lookup) {
    if (SameIgnoringAsciiCase(host, "LOCALHOST")) {
        platform::IpAddress v6{platform::AddressFamily::V6, {}};
        v6.bytes[15] = 1;
        return {{platform::IpAddress::V4(127, 0, 0, 1), v6}, 0};
    }
    if (const auto quad = ParseDottedQuad(host)) return {{*quad}, 0};
    if (host.find(':') != std::string::npos) {
        if (const auto v6 = platform::ParseIpAddress(host); v6 && v6->family == platform::AddressFamily::V6)
            return {{*v6}, 0};
    }
    return lookup(host);
}

}  // namespace kairos
