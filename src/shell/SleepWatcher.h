#pragma once
// Hears from logind when the machine wakes up, so that the clock looks at
// once at what it missed instead of at its next planned tick.

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace kairos {

class SleepWatcher final : public QObject {
    Q_OBJECT
public:
    // Without a system bus or logind it hears nothing, and says nothing.
    SleepWatcher(QDBusConnection systemBus, std::function<void()> onResume, QObject* parent = nullptr);

private slots:
    void PrepareForSleep(bool sleeping);

private:
    std::function<void()> onResume_;
};

}  // namespace kairos
