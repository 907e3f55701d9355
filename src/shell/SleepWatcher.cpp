#include "shell/SleepWatcher.h"

namespace kairos {

SleepWatcher::SleepWatcher(QDBusConnection systemBus, std::function<void()> onResume, QObject* parent)
    : QObject(parent), onResume_(std::move(onResume)) {
    if (!systemBus.isConnected()) return;
    systemBus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                      SLOT(PrepareForSleep(bool)));
}

void SleepWatcher::PrepareForSleep(bool sleeping) {
    if (!sleeping && onResume_) onResume_();
}

}  // namespace kairos
