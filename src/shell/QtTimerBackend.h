#pragma once
// The deadline timers' hidden receiver: Qt timers on the user-interface
// thread's event loop. Qt chooses its own timer ids, so the identifiers the
// list asks for are mapped onto them.

#include <QObject>
#include <unordered_map>

#include "shell/DeadlineTimers.h"

namespace kairos {

class QtTimerBackend final : public QObject, public TimerBackend {
    Q_OBJECT
public:
    QtTimerBackend() = default;
    ~QtTimerBackend() override;

    void SetNotify(Notify notify) override;
    std::uint32_t SetTimer(std::uint32_t id, std::uint32_t elapseMs) override;
    void KillTimer(std::uint32_t id) override;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    Notify notify_;
    std::unordered_map<int, std::uint32_t> idOfQtTimer_;
};

}  // namespace kairos
