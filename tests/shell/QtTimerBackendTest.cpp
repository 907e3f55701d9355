#include "shell/QtTimerBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include "shell/DeadlineTimers.h"

namespace kairos {
namespace {

// Runs the event loop until the key's last timer has ended or 5 s passed.
void WaitWhileRunning(const DeadlineTimers& list, int key) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (list.IsTimerRunning(key) && elapsed.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

TEST(QtTimerBackend, DeadlinesEndOnTheEventLoopAndNeverEarly) {
    DeadlineTimers list(std::make_unique<QtTimerBackend>());
    QElapsedTimer sinceStart;
    sinceStart.start();
    int calls = 0;
    list.StartTimer(60, 1, [&](int key, int count) {
        ++calls;
        EXPECT_EQ(key, 1);
        EXPECT_EQ(count, 0);
    });
    list.StartTimer(20, 2);
    EXPECT_TRUE(list.IsTimerRunning(1));
    WaitWhileRunning(list, 2);
    EXPECT_GE(sinceStart.elapsed(), 20);
    WaitWhileRunning(list, 1);
    EXPECT_GE(sinceStart.elapsed(), 60);
    EXPECT_FALSE(list.IsTimerRunning(1));
    EXPECT_EQ(calls, 1);
    // Nothing keeps firing after the one shot.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(calls, 1);
}

TEST(QtTimerBackend, IdentifiersMapOntoQtTimersAndAreReused) {
    DeadlineTimers list(std::make_unique<QtTimerBackend>());
    EXPECT_EQ(list.StartTimer(10'000, 7), 1u);
    EXPECT_EQ(list.StartTimer(10, 8), 2u);
    WaitWhileRunning(list, 8);
    EXPECT_EQ(list.StartTimer(10, 9), 2u);
    WaitWhileRunning(list, 9);
    EXPECT_TRUE(list.IsTimerRunning(7));
    list.Clear();
    EXPECT_FALSE(list.IsTimerRunning(7));
}

}  // namespace
}  // namespace kairos
