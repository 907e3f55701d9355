#include "shell/WindowsWakeFilter.h"

#include <windows.h>

#include <QCoreApplication>
#include <utility>

namespace kairos {

WindowsWakeFilter::WindowsWakeFilter(std::function<void()> onWake) : onWake_(std::move(onWake)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowsWakeFilter::~WindowsWakeFilter() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowsWakeFilter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    // Every window gets each message; one tick is planned however many see it.
    const bool resumed = msg->message == WM_POWERBROADCAST && msg->wParam == PBT_APMRESUMEAUTOMATIC;
    if (resumed || msg->message == WM_TIMECHANGE) onWake_();
    // Others may want them too.
    return false;
}

}  // namespace kairos
