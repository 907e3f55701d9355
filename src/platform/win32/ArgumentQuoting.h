#pragma once
// A Windows program receives one command line and splits it itself; the C
// runtime (and CommandLineToArgvW) split it by fixed rules, which the
// quoting here inverts, so that a program gets exactly the arguments it was
// started with.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kairos::platform {

// One argument after the first: left as it is when it holds no blank, tab,
// newline or quote and is not empty; else in quotes, with every run of
// backslashes before a quote (its own or the closing one) doubled and each
// quote inside escaped as \".
std::string QuoteArgument(std::string_view argument);

// The whole command line. The program name is read by other rules (quotes
// only group, a backslash is an ordinary character), so it is quoted only
// when it holds a blank or tab and cannot hold a quote at all. Empty when
// argv is empty, its first word is empty or holds a quote.
std::optional<std::string> QuoteCommandLine(const std::vector<std::string>& argv);

}  // namespace kairos::platform
