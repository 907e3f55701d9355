#include "dialogs/SystemTimeSync.h"

#include <QObject>
#include <QString>
#ifdef Q_OS_WIN
#include <QSettings>
#include <QTimer>
#else
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#endif

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

#ifdef Q_OS_WIN
// The Windows Time service synchronises from a server unless its type is
// NoSync; a home machine has it set to NTP (time.windows.com), a domain
// member to NT5DS.
void QuerySystemTimeSync(QObject* context, std::function<void(bool active)> answer) {
    const QSettings parameters(QStringLiteral("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\W32Time\\Parameters"),
                               QSettings::NativeFormat);
    const QString type = parameters.value(QStringLiteral("Type")).toString();
    const bool active = !type.isEmpty() && type.compare(QStringLiteral("NoSync"), Qt::CaseInsensitive) != 0;
    // Later, as the answer from timedated comes on Linux.
    QTimer::singleShot(0, context, [answer = std::move(answer), active] { answer(active); });
}
#else
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

#endif

}  // namespace kairos
