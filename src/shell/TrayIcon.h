#pragma once
// The notification-area icon of a form: shows the form's tip, opens its menu,
// and turns the form's close and minimise into hiding, so the program stays
// reachable from the icon.

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

enum class T_eCloseAction { eCLOSE_EXIT, eCLOSE_TRAY, eCLOSE_MINIMIZE };
enum class T_eTaskBar { eBAR_HIDE, eBAR_SHOW, eBAR_SHOWMINIMIZE };
using enum T_eCloseAction;
using enum T_eTaskBar;

// The longest tip the notification area is given, in bytes.
inline constexpr std::size_t MaxTipBytes = 63;
// The tip as shown: the application title when empty, cut at a character boundary.
std::string TrayTipText(std::string_view tip);

class T_TaskTray : public QObject {
    Q_OBJECT
public:
    static constexpr int AddAttempts = 3;
    static constexpr int AddRetryMs = 100;

    using ClickEvent = std::function<void(QObject* sender, QPoint cursor, bool& handled)>;
    using NotifyEvent = std::function<void(QObject* sender)>;

    // Hooks the owner form's events; the component is the form's child.
    explicit T_TaskTray(QWidget* ownerForm);
    ~T_TaskTray() override;

    // Whether a notification area is there to bring a hidden window back;
    // tests stand in for the desktop.
    std::function<bool()> NotificationAreaAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    int BalloonTimeout = 30;
    T_eCloseAction CloseAction = eCLOSE_TRAY;
    ClickEvent OnClick;
    ClickEvent OnContextPopup;
    NotifyEvent OnDblClick;
    NotifyEvent OnBalloonClick;
    NotifyEvent OnBalloonHide;
    NotifyEvent OnBalloonShow;
    NotifyEvent OnBalloonTimeout;

    const QIcon& Icon() const { return icon_; }
    // An empty icon stands for the application's icon.
    void SetIcon(const QIcon& icon);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);
    T_eTaskBar TaskBar() const { return taskBar_; }
    void SetTaskBar(T_eTaskBar value);
    bool TaskTray() const { return taskTray_; }
    void SetTaskTray(bool value);
    const std::string& Tip() const { return tip_; }
    void SetTip(const std::string& text);

    // The tip the notification area was last given.
    std::string ShownTip() const;
    void RemoveIcon();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AddIcon();
    void TryAddIcon(int attemptsLeft);
    void ApplyTaskTray(bool on);
    void ShowTaskBarButton(bool show);
    void SendTip();
    QIcon ShownIcon() const;
    void IconActivated(QSystemTrayIcon::ActivationReason reason);
    void LeftClick();
    void RightClick();
    bool HideInsteadOfClosing();

    QWidget* ownerForm_;
    QSystemTrayIcon* trayIcon_;
    QMenu* popupMenu_ = nullptr;
    QIcon icon_;
    T_eTaskBar taskBar_ = eBAR_SHOW;
    bool taskTray_ = false;
    std::string tip_;
    std::string sentTip_;
};

}  // namespace kairos
