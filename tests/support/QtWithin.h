#pragma once
// Runs the Qt event loop until a condition holds, for tests that wait on
// another process (a bus, a compositor, a notification service). The bound
// only keeps a broken test from hanging.

#include <QCoreApplication>
#include <QElapsedTimer>

namespace kairos::testing {

template <typename Condition>
bool Within(int ms, Condition condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace kairos::testing
