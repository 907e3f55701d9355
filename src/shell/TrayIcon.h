#pragma once
// The notification-area icon of a window: shows the window's tip, opens its
// menu, and turns the window's close and minimise into hiding, so the program
// stays reachable from the icon.

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <functional>
#include <string>
#include <string_view>

class QMenu;
class QTimer;
class QWidget;

namespace kairos {

enum class CloseAction { Exit, HideToTray, Minimize };
enum class TaskbarButton { Hidden, Shown, ShownMinimized };

// The longest tip the notification area is given, in bytes.
inline constexpr std::size_t MaxTipBytes = 63;
// The tip as shown: the application title when empty, cut at a character boundary.
std::string TrayTipText(std::string_view tip);

class TrayIcon final : public QObject {
    Q_OBJECT
public:
    static constexpr int AddAttempts = 3;
    static constexpr int AddRetryMs = 100;

    using ClickEvent = std::function<void(QObject* sender, QPoint cursor, bool& handled)>;

    // Watches the window's events; the icon is the window's child.
    explicit TrayIcon(QWidget* window);
    ~TrayIcon() override;

    // Whether a notification area is there to bring a hidden window back;
    // tests stand in for the desktop.
    std::function<bool()> NotificationAreaAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    CloseAction ActionOnClose = CloseAction::HideToTray;
    ClickEvent OnClick;

    const QIcon& Icon() const { return icon_; }
    // An empty icon stands for the application's icon.
    void SetIcon(const QIcon& icon);
    QMenu* ContextMenu() const { return contextMenu_; }
    void SetContextMenu(QMenu* menu);
    TaskbarButton Taskbar() const { return taskbar_; }
    void SetTaskbar(TaskbarButton value);
    bool IconShown() const { return iconShown_; }
    void SetIconShown(bool value);
    const std::string& Tip() const { return tip_; }
    void SetTip(const std::string& text);

    // A balloon from the icon, with the application's picture; nothing while
    // the icon is not shown.
    void ShowMessage(const QString& title, const QString& text, int timeoutMs);

    // The tip the notification area was last given.
    std::string ShownTip() const;
    void RemoveIcon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddIcon();
    void TryAddIcon(int attemptsLeft);
    void ApplyIconShown(bool on);
    void ShowTaskbarButton(bool show);
    void SendTip();
    QIcon ShownIcon() const;
    void IconActivated(QSystemTrayIcon::ActivationReason reason);
    void LeftClick();
    void RightClick();
    bool HideInsteadOfClosing();

    QWidget* window_;
    QSystemTrayIcon* systemIcon_;
    QMenu* contextMenu_ = nullptr;
    QIcon icon_;
    TaskbarButton taskbar_ = TaskbarButton::Shown;
    bool iconShown_ = false;
    std::string tip_;
    std::string sentTip_;
};

}  // namespace kairos
