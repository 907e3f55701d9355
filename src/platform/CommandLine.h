#pragma once
// A command line taken apart into a program and its arguments the way a
// POSIX shell takes apart a simple command, without running a shell: the
// words are never expanded, so a command line from a settings file cannot
// reach variables, globs, substitutions or other commands.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kairos::platform {

// Words are separated by blanks, tabs and newlines. Inside a word:
// - 'single quotes' keep everything up to the next single quote as it is;
// - "double quotes" keep everything, except that a backslash stands for the
//   character after it when that is one of $ ` " \ (a backslash itself),
//   and a backslash-newline disappears;
// - an unquoted backslash makes the next character an ordinary one, and a
//   backslash-newline disappears; a backslash at the very end stays;
// - "" or '' alone make an empty word.
// $ * ? ~ # ; | & < > ( ) are ordinary characters.
// Empty when a quote is not closed or the text holds a NUL byte (no argument
// of a program can carry one); an empty list for a text of blanks only.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

}  // namespace kairos::platform
