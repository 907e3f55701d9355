#pragma once
// Notifications as balloons from the clock's notification-area icon, where
// the desktop has no notification service of its own to call: on Windows the
// shell turns them into its notifications.

#include <QPointer>
#include <functional>

#include "shell/Notifier.h"
#include "shell/TrayIcon.h"

namespace kairos {

class BalloonNotifier final : public Notifier {
public:
    // The icon belongs to the clock window, which is made after its notifier.
    void Attach(TrayIcon* tray) { tray_ = tray; }

    // A balloon has no buttons, so a notice's action is not offered; the
    // alarm list still ends a series.
    void Show(const Notice& notice, std::function<void()> onAction) override;

private:
    QPointer<TrayIcon> tray_;
};

}  // namespace kairos
