// Times single SNTP exchanges against a server on 127.0.0.1, for
// scripts/ntp-compare.sh: one line per exchange with the measured clock
// offset and the wall time of the whole exchange, socket setup included.
//     sntp_probe PORT COUNT

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "nettime/IdSNTP.h"

namespace {

// A probe only measures; should anything ask it to set the clock, it refuses.
class RefusingSetter final : public kairos::platform::ClockSetter {
public:
    bool SetLocalTime(kairos::TDateTime) override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sntp_probe PORT COUNT\n");
        return 2;
    }
    const int port = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    RefusingSetter setter;
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        kairos::TIdSNTP sntp({kairos::platform::SystemClock(), setter, kairos::platform::LocalTimeZoneBias});
        sntp.SetHost("127.0.0.1");
        sntp.SetPort(port);
        sntp.SetReceiveTimeout(3000);
        const auto start = std::chrono::steady_clock::now();
        const bool answered = sntp.QueryServerTime() != 0;
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (!answered) {
            ++failures;
            continue;
        }
        std::printf("%.6f %.3f\n", sntp.ClockOffset() * 86'400.0, took.count());
    }
    return failures == 0 ? 0 : 1;
}
