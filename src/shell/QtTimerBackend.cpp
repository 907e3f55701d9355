#include "shell/QtTimerBackend.h"

#include <QTimerEvent>
#include <algorithm>
#include <climits>

namespace kairos {

QtTimerBackend::~QtTimerBackend() {
    for (const auto& [qtId, id] : idOfQtTimer_) killTimer(qtId);
}

void QtTimerBackend::SetNotify(Notify notify) { notify_ = std::move(notify); }

std::uint32_t QtTimerBackend::SetTimer(std::uint32_t id, std::uint32_t elapseMs) {
    KillTimer(id);  // registering an identifier again replaces its timer
    // Precise: a coarse timer may fire up to 5 % early, and a hold must never end early.
    const int qtId = startTimer(static_cast<int>(std::min<std::uint32_t>(elapseMs, INT_MAX)), Qt::PreciseTimer);
    if (qtId == 0) return 0;
    idOfQtTimer_[qtId] = id;
    return id;
}

void QtTimerBackend::KillTimer(std::uint32_t id) {
    const auto found = std::find_if(idOfQtTimer_.begin(), idOfQtTimer_.end(),
                                    [id](const auto& pair) { return pair.second == id; });
    if (found == idOfQtTimer_.end()) return;
    killTimer(found->first);
    idOfQtTimer_.erase(found);
}

void QtTimerBackend::timerEvent(QTimerEvent* event) {
    const auto found = idOfQtTimer_.find(event->timerId());
    if (found == idOfQtTimer_.end() || !notify_) return;
    notify_(found->second);
}

}  // namespace kairos
