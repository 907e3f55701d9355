// Any bytes as the time server the user wrote: a parsed server must have a
// host that can be written back and read as the same server, and resolving
// must not ask the resolver about anything that already is an address. The
// lookup here is a stand-in; nothing reaches the network.
//
// Input: the text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzText.h"
#include "nettime/ServerAddress.h"

namespace {

using kairos::platform::AddressFamily;
using kairos::platform::FormatIpAddress;
using kairos::platform::IpAddress;
using kairos::platform::LookupOutcome;

[[noreturn]] void Fail(const char* what, std::string_view text) {
    const std::string detail = kairos::fuzz::Visible(text);
    std::fprintf(stderr, "ServerAddress: %s\n  [%s]\n", what, detail.c_str());
    std::abort();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsLocalhost(std::string_view host) {
    constexpr std::string_view name = "localhost";
    if (host.size() != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if ((host[i] | 0x20) != name[i]) return false;
    return true;
}

// The parts without their leading zeros, as an address is printed.
std::string CanonicalQuad(std::string_view quad) {
    std::string out;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t end = part == 3 ? quad.size() : quad.find('.', start);
        std::size_t first = start;
        while (first + 1 < end && quad[first] == '0') ++first;
        if (part > 0) out += '.';
        out += quad.substr(first, end - first);
        start = end + 1;
    }
    return out;
}

void CheckResolve(const std::string& host) {
    bool asked = false;
    const IpAddress stand = IpAddress::V4(192, 0, 2, 7);
    const auto lookup = [&asked, &host, stand](const std::string& name) {
        if (name != host) Fail("the lookup was asked about another name", name);
        asked = true;
        return LookupOutcome{{stand}, 0};
    };
    const LookupOutcome outcome = kairos::ResolveServer(host, lookup);
    const auto numeric = kairos::platform::ParseIpAddress(host);
    const bool v6 = numeric && numeric->family == AddressFamily::V6;
    if (IsLocalhost(host) || kairos::IsDottedQuad(host) || v6) {
        if (asked || outcome.error != 0) Fail("looked up what needs no lookup", host);
    } else if (!asked || outcome.addresses != std::vector<IpAddress>{stand}) {
        Fail("a name did not get the lookup's answer", host);
    }
    if (kairos::IsDottedQuad(host) &&
        (outcome.addresses.size() != 1 || FormatIpAddress(outcome.addresses[0]) != CanonicalQuad(host)))
        Fail("a dotted quad did not resolve to itself", host);
    if (v6 && outcome.addresses != std::vector<IpAddress>{*numeric})
        Fail("an IPv6 address did not resolve to itself", host);
    if (IsLocalhost(host) &&
        (outcome.addresses.size() != 2 || FormatIpAddress(outcome.addresses[0]) != "127.0.0.1" ||
         FormatIpAddress(outcome.addresses[1]) != "::1"))
        Fail("localhost is not 127.0.0.1 and ::1", host);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    CheckResolve(text);
    const auto parsed = kairos::ParseServerAddress(text);
    if (!parsed) return 0;
    const std::string& host = parsed->host;
    if (host.empty()) Fail("parsed an empty host", text);
    if (IsBlank(host.front()) || IsBlank(host.back())) Fail("kept blanks around the host", text);
    if (parsed->port == 0) Fail("parsed port 0", text);
    const std::string port = std::to_string(parsed->port);
    const std::string written = host.find(':') == std::string::npos ? host + ':' + port : '[' + host + "]:" + port;
    if (kairos::ParseServerAddress(written) != parsed) Fail("did not read back as the same server", written);
    CheckResolve(host);
    return 0;
}
