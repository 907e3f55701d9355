#include "dialogs/SystemTimeSync.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QObject>
#include <QString>

#include <utility>

namespace kairos {
namespace {

// timedated starts on demand, which takes a moment; the dialog does not wait for it.
constexpr int kTimeoutMs = 5000;

}  // namespace

bool SystemTimeSyncActive(const QVariantMap& properties) {
    return properties.value(QStringLiteral("NTP")).toBool() ||
           properties.value(QStringLiteral("NTPSynchronized")).toBool();
}

void QuerySystemTimeSync(QObject* context, std::function<void(bool active)> answer) {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.timedate1"), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << QStringLiteral("org.freedesktop.timedate1");
    // The watcher goes with the context, and with it the answer.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, answer = std::move(answer)] {
                         watcher->deleteLater();
                         const QDBusPendingReply<QVariantMap> reply = *watcher;
                         if (!reply.isError()) answer(SystemTimeSyncActive(reply.value()));
                     });
}

}  // namespace kairos
