#pragma once
// Hears from Windows when the machine resumes from sleep or its clock is set,
// so that the clock looks at once at the new time and at what it missed
// instead of waiting for its planned tick. Windows tells both to every
// top-level window, and Qt passes them through its native event filters.

#include <QAbstractNativeEventFilter>
#include <functional>

namespace kairos {

class WindowsWakeFilter final : public QAbstractNativeEventFilter {
public:
    // Installs itself in the application until it goes.
    explicit WindowsWakeFilter(std::function<void()> onWake);
    ~WindowsWakeFilter() override;
    WindowsWakeFilter(const WindowsWakeFilter&) = delete;
    WindowsWakeFilter& operator=(const WindowsWakeFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    std::function<void()> onWake_;
};

}  // namespace kairos
