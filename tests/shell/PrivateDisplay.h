#pragma once
// An X server of the test's own, so that its screen can be laid out and
// changed, and a window manager run on it, without touching anyone else's
// display. While it lives, $DISPLAY names it, for the program and the tools.

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "shell/ProgramSession.h"

namespace kairos::test {

class PrivateDisplay {
public:
    PrivateDisplay(int width, int height) {
        if (const char* previous = std::getenv("DISPLAY")) previous_ = previous;
        int pipeEnds[2];
        if (!CommandExists("Xvfb") || pipe(pipeEnds) != 0) return;
        // The server writes its display number once it takes connections.
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
        server_.emplace(OutputLines("command -v Xvfb").front(), environment,
                        std::vector<std::string>{"-displayfd", std::to_string(pipeEnds[1]), "-screen", "0",
                                                 std::to_string(width) + "x" + std::to_string(height) + "x24",
                                                 "-nolisten", "tcp", "-noreset"});
        close(pipeEnds[1]);
        pollfd ready{pipeEnds[0], POLLIN, 0};
        char number[16] = {};
        if (poll(&ready, 1, 10'000) == 1 && read(pipeEnds[0], number, sizeof number - 1) > 0) {
            name_ = ":" + std::string(number).substr(0, std::string(number).find('\n'));
            setenv("DISPLAY", name_.c_str(), 1);
        }
        close(pipeEnds[0]);
    }
    ~PrivateDisplay() {
        if (previous_) setenv("DISPLAY", previous_->c_str(), 1);
        else unsetenv("DISPLAY");
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool Running() const { return !name_.empty(); }

private:
    std::optional<std::string> previous_;
    std::optional<Process> server_;
    std::string name_;
};

}  // namespace kairos::test
