#pragma once
// The program's own command-line options. Options of a single dash are left
// to Qt (-platform, -display, ...), which takes those it knows.

#include <string>
#include <vector>

namespace kairos {

enum class StartMode {
    Clock,    // no option of ours: the clock as always
    Query,    // --query HOST[:PORT]: ask once, set nothing, print
    Help,     // --help, -h
    Version,  // --version
    Invalid,  // an option we do not know, or one without its value
};

struct CommandLineOptions {
    StartMode mode = StartMode::Clock;
    std::string server;  // for Query
    std::string invalid;  // the argument that made it Invalid
};

// arguments: without the program's name.
CommandLineOptions ParseCommandLine(const std::vector<std::string>& arguments);

// The text --help prints, and an invalid command line prints on standard error.
std::string UsageText();

}  // namespace kairos
