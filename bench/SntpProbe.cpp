// Times single SNTP exchanges against a server on the loopback, for
// scripts/ntp-compare.sh: one line per exchange with the measured clock
// offset and the wall time of the whole exchange, socket setup included.
//     sntp_probe PORT COUNT [HOST]

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "nettime/SntpClient.h"

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: sntp_probe PORT COUNT [HOST]\n");
        return 2;
    }
    const auto port = static_cast<std::uint16_t>(std::atoi(argv[1]));
    const int count = std::atoi(argv[2]);
    const std::string host = argc == 4 ? argv[3] : "127.0.0.1";
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        // Only asks: nothing here can set the clock.
        const auto start = std::chrono::steady_clock::now();
        const kairos::QueryOutcome outcome = kairos::QueryTimeServer({host, port});
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (!outcome.sample) {
            ++failures;
            continue;
        }
        std::printf("%.6f %.3f\n", std::chrono::duration<double>(outcome.sample->offset).count(), took.count());
    }
    return failures == 0 ? 0 : 1;
}
