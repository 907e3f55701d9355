#include "nettime/IdStack.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <memory>
#include <mutex>

#include "nettime/IdComponent.h"
#include "nettime/IdException.h"

namespace kairos {
namespace {

struct StackState {
    std::mutex guard;
    int instanceCount = 0;
    std::unique_ptr<TIdStack> stack;
};

// A function-local object: components may live in other static objects,
// whose construction order across files is unknown.
StackState& State() {
    static StackState state;
    return state;
}

struct ErrorText {
    int number;
    const char* text;
};

constexpr ErrorText ErrorTexts[] = {
    {10004, "Interrupted system call."},
    {10009, "Bad file number."},
    {10013, "Access denied."},
    {10014, "Bad address."},
    {10022, "Invalid argument."},
    {10024, "Too many open files."},
    {10035, "Operation would block. "},
    {10036, "Operation now in progress."},
    {10037, "Operation already in progress."},
    {10038, "Socket operation on non-socket."},
    {10039, "Destination address required."},
    {10040, "Message too long."},
    {10041, "Protocol wrong type for socket."},
    {10042, "Bad protocol option."},
    {10043, "Protocol not supported."},
    {10044, "Socket type not supported."},
    {10045, "Operation not supported on socket."},
    {10046, "Protocol family not supported."},
    {10047, "Address family not supported by protocol family."},
    {10048, "Address already in use."},
    {10049, "Cannot assign requested address."},
    {10050, "Network is down."},
    {10051, "Network is unreachable."},
    {10052, "Net dropped connection or reset."},
    {10053, "Software caused connection abort."},
    {10054, "Connection reset by peer."},
    {10055, "No buffer space available."},
    {10056, "Socket is already connected."},
    {10057, "Socket is not connected."},
    {10058, "Cannot send or receive after socket is closed."},
    {10059, "Too many references, cannot splice."},
    {10060, "Connection timed out."},
    {10061, "Connection refused."},
    {10062, "Too many levels of symbolic links."},
    {10063, "File name too long."},
    {10064, "Host is down."},
    {10065, "No route to host."},
    {10066, "Directory not empty"},
    {11001, "Host not found."},
};

const char* TextOf(int error) {
    const auto* match = std::find_if(std::begin(ErrorTexts), std::end(ErrorTexts),
                                     [error](const ErrorText& entry) { return entry.number == error; });
    return match == std::end(ErrorTexts) ? "" : match->text;
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

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
    });
}

}  // namespace

TIdComponent::TIdComponent() {
    auto& state = State();
    const std::lock_guard lock(state.guard);
    if (state.instanceCount++ == 0) state.stack = std::make_unique<TIdStack>();
}

TIdComponent::~TIdComponent() {
    auto& state = State();
    const std::lock_guard lock(state.guard);
    if (--state.instanceCount == 0) state.stack.reset();
}

TIdStack* SocketStack() {
    auto& state = State();
    const std::lock_guard lock(state.guard);
    return state.stack.get();
}

int StackInstanceCount() {
    auto& state = State();
    const std::lock_guard lock(state.guard);
    return state.instanceCount;
}

std::string SocketErrorText(int error) {
    char head[48];
    std::snprintf(head, sizeof head, "Socket Error # %d\r\n", error);
    return std::string(head) + TextOf(error);
}

void RaiseSocketError(int error) {
    if (TIdStack* stack = SocketStack()) stack->SetLastError(error);
    throw EIdSocketError(error, SocketErrorText(error));
}

std::optional<platform::Ipv4Address> ParseDottedQuad(std::string_view text) {
    platform::Ipv4Address address{};
    for (std::size_t index = 0; index < address.size(); ++index) {
        const bool last = index + 1 == address.size();
        const std::size_t dot = last ? std::string_view::npos : text.find('.');
        const auto part = ParseQuadPart(text.substr(0, dot));
        if (!part) return std::nullopt;
        address[index] = *part;
        text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    }
    return address;
}

bool IsDottedQuad(std::string_view text) { return ParseDottedQuad(text).has_value(); }

std::string FormatDottedQuad(const platform::Ipv4Address& address) {
    std::string text;
    for (const auto part : address) {
        if (!text.empty()) text += '.';
        text += std::to_string(part);
    }
    return text;
}

std::string ResolveHostAddress(const std::string& host) {
    if (EqualsIgnoringCase(host, "LOCALHOST")) return "127.0.0.1";
    if (IsDottedQuad(host)) return host;
    const platform::ResolveOutcome outcome = platform::ResolveIpv4(host);
    if (outcome.error != 0) RaiseSocketError(outcome.error);
    return FormatDottedQuad(outcome.address);
}

}  // namespace kairos
