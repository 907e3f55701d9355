#pragma once
// Notifications through the freedesktop.org notification service on a
// D-Bus bus. Every call is asynchronous: a slow or absent service never
// holds up the tick.

#include <QDBusConnection>
#include <QObject>
#include <QVariant>
#include <functional>
#include <map>

#include "shell/Notifier.h"

class QIcon;

namespace kairos {

class DesktopNotifier final : public QObject, public Notifier {
    Q_OBJECT
public:
    // The icon travels with every notice as pixels, so that it shows even
    // where no icon theme knows the program.
    DesktopNotifier(QDBusConnection bus, const QIcon& icon, QObject* parent = nullptr);

    void Show(const Notice& notice, std::function<void()> onAction) override;

private slots:
    void ActionInvoked(uint id, const QString& key);
    void NotificationClosed(uint id, uint reason);

private:
    void AskCapabilities();

    QDBusConnection bus_;
    QVariant image_;
    // Until the service says otherwise.
    bool actions_ = true;
    std::map<uint, std::function<void()>> pending_;
};

}  // namespace kairos
