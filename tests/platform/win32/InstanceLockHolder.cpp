// Takes the instance lock named by its argument, writes the outcome as one
// line, and holds the lock until its input ends or it is killed.

#include <cstdio>

#include "platform/InstanceLock.h"

int main(int argc, char** argv) {
    using kairos::platform::LockOutcome;
    if (argc != 2) return 2;
    const kairos::platform::InstanceLock lock(argv[1]);
    const LockOutcome outcome = lock.Outcome();
    std::puts(outcome == LockOutcome::Acquired        ? "acquired"
              : outcome == LockOutcome::HeldElsewhere ? "held"
                                                      : "unavailable");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
