// Any bytes as a command line: splitting must not fail on anything but an
// open quote or a NUL byte, must give words that a program can receive, and
// each word list, written back in any of three quoting styles, must split
// into the same words again.
//
// Input: the command line's bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CommandLine.h"

namespace {

using Words = std::vector<std::string>;

[[noreturn]] void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "CommandLine: %s\n  [%.*s]\n", what, static_cast<int>(detail.size()), detail.data());
    std::abort();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

std::string SingleQuoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string DoubleQuoted(const std::string& word) {
    std::string quoted = "\"";
    for (const char c : word) {
        if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// A backslash-newline would join lines, so a newline goes in single quotes.
std::string Escaped(const std::string& word) {
    if (word.empty()) return "''";
    std::string quoted;
    for (const char c : word) {
        if (c == '\n') {
            quoted += "'\n'";
            continue;
        }
        if (IsBlank(c) || c == '\'' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted;
}

template <typename Quote>
void CheckRoundTrip(const Words& words, Quote quote, const char* style) {
    std::string line;
    for (const std::string& word : words) line += quote(word) + ' ';
    const auto again = kairos::platform::SplitCommandLine(line);
    if (!again || *again != words) Fail(style, line);
}

// Without quotes and backslashes the words are just the runs of non-blanks.
void CheckPlainSplit(std::string_view line, const Words& words) {
    Words plain;
    std::string word;
    for (const char c : line) {
        if (!IsBlank(c)) {
            word += c;
        } else if (!word.empty()) {
            plain.push_back(word);
            word.clear();
        }
    }
    if (!word.empty()) plain.push_back(word);
    if (plain != words) Fail("plain text split differently", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const auto words = kairos::platform::SplitCommandLine(line);
    const bool quoted = line.find_first_of("'\"") != std::string_view::npos;
    const bool hasNul = line.find('\0') != std::string_view::npos;
    if (!words) {
        if (!quoted && !hasNul) Fail("refused without a quote or NUL", line);
        return 0;
    }
    if (hasNul) Fail("accepted a NUL byte", line);
    if (!quoted && line.find('\\') == std::string_view::npos) CheckPlainSplit(line, *words);
    CheckRoundTrip(*words, SingleQuoted, "single quotes did not read back");
    CheckRoundTrip(*words, DoubleQuoted, "double quotes did not read back");
    CheckRoundTrip(*words, Escaped, "backslashes did not read back");
    return 0;
}
