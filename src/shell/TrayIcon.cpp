#include "shell/TrayIcon.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include "platform/Utf8.h"

namespace kairos {
namespace {

constexpr std::string_view kApplicationTitle = "Kairos";

// Template line breaks are CR LF; a tip breaks on a lone '\n'.
QString ToShownTip(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

bool OnX11() { return QGuiApplication::platformName() == QLatin1String("xcb"); }

}  // namespace

std::string TrayTipText(std::string_view tip) {
    const std::string_view text = tip.empty() ? kApplicationTitle : tip;
    return std::string(text.substr(0, Utf8CutPoint(text, MaxTipBytes)));
}

TrayIcon::TrayIcon(QWidget* window)
    : QObject(window), window_(window), systemIcon_(new QSystemTrayIcon(this)) {
    window_->installEventFilter(this);
    connect(systemIcon_, &QSystemTrayIcon::activated, this, &TrayIcon::IconActivated);
}

TrayIcon::~TrayIcon() { RemoveIcon(); }

void TrayIcon::SetIconShown(bool value) {
    if (value == iconShown_) return;
    iconShown_ = value;
    ApplyIconShown(value);
}

void TrayIcon::ApplyIconShown(bool on) {
    if (on) AddIcon();
    else RemoveIcon();
    ShowTaskbarButton(!iconShown_ || taskbar_ != TaskbarButton::Hidden);
}

void TrayIcon::SetTaskbar(TaskbarButton value) {
    if (value == taskbar_) return;
    taskbar_ = value;
    ShowTaskbarButton(!iconShown_ || value != TaskbarButton::Hidden);
}

void TrayIcon::AddIcon() {
    systemIcon_->setIcon(ShownIcon());
    sentTip_.clear();
    SendTip();
    TryAddIcon(AddAttempts);
}

// A desktop whose notification area is not up yet gets two more chances.
// After those, on X11 the icon is shown all the same, for an XEmbed tray
// that turns up later to pick it up. Elsewhere only a StatusNotifierItem
// host could show it, and Qt decides once, when the icon is made, whether
// to speak that protocol: an icon shown without one would fall back to
// XEmbed, which needs an X server.
void TrayIcon::TryAddIcon(int attemptsLeft) {
    if (!iconShown_) return;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        systemIcon_->show();
    } else if (attemptsLeft > 1) {
        QTimer::singleShot(AddRetryMs, this, [this, attemptsLeft] { TryAddIcon(attemptsLeft - 1); });
    } else if (OnX11()) {
        systemIcon_->show();
    }
}

void TrayIcon::RemoveIcon() {
    iconShown_ = false;
    systemIcon_->hide();
}

void TrayIcon::ShowMessage(const QString& title, const QString& text, int timeoutMs) {
    if (iconShown_) systemIcon_->showMessage(title, text, ShownIcon(), timeoutMs);
}

void TrayIcon::SetTip(const std::string& text) {
    tip_ = text;
    if (iconShown_) SendTip();
}

// Each message to the notification area costs a D-Bus or X round trip; the
// clock sets the tip a hundred times a second.
void TrayIcon::SendTip() {
    std::string shown = TrayTipText(tip_);
    if (shown == sentTip_) return;
    systemIcon_->setToolTip(ToShownTip(shown));
    sentTip_ = std::move(shown);
}

std::string TrayIcon::ShownTip() const { return systemIcon_->toolTip().toStdString(); }

void TrayIcon::SetIcon(const QIcon& icon) {
    icon_ = icon;
    if (iconShown_) systemIcon_->setIcon(ShownIcon());
}

QIcon TrayIcon::ShownIcon() const { return icon_.isNull() ? QGuiApplication::windowIcon() : icon_; }

// The notification area shows the menu itself (an exported menu for a
// StatusNotifierItem host, a popup for XEmbed).
void TrayIcon::SetContextMenu(QMenu* menu) {
    contextMenu_ = menu;
    systemIcon_->setContextMenu(menu);
}

void TrayIcon::ShowTaskbarButton(bool show) {
    const bool shown = window_->windowType() != Qt::Tool;
    if (shown == show) return;
    const bool wasVisible = window_->isVisible();
    window_->setWindowFlag(Qt::Tool, !show);
    if (show) window_->setWindowFlag(Qt::Window, true);
    if (wasVisible) {
        window_->show();
        window_->activateWindow();
    }
}

void TrayIcon::IconActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger: LeftClick(); break;
        case QSystemTrayIcon::DoubleClick:
            // The second click of a double click is a click of its own.
            LeftClick();
            break;
        case QSystemTrayIcon::Context: RightClick(); break;
        default: break;
    }
}

void TrayIcon::LeftClick() {
    bool handled = false;
    if (OnClick) OnClick(this, QCursor::pos(), handled);
    if (handled) return;
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    if (taskbar_ != TaskbarButton::Hidden) ShowTaskbarButton(true);
    window_->raise();
    window_->activateWindow();
}

void TrayIcon::RightClick() { window_->activateWindow(); }

bool TrayIcon::HideInsteadOfClosing() {
    if (ActionOnClose == CloseAction::Minimize && taskbar_ == TaskbarButton::ShownMinimized) window_->showMinimized();
    else window_->hide();
    return true;
}

bool TrayIcon::eventFilter(QObject* watched, QEvent* event) {
    // Without a notification area a hidden tool window could never be shown
    // again: close then ends the program and minimise is undone.
    if (watched != window_ || !iconShown_) return QObject::eventFilter(watched, event);
    // Asking for the notification area is a round trip to the X server or
    // the session bus: only for the two events that need the answer, not for
    // every paint.
    if (event->type() != QEvent::Close && event->type() != QEvent::WindowStateChange)
        return QObject::eventFilter(watched, event);
    const bool canHide = NotificationAreaAvailable && NotificationAreaAvailable();
    if (!canHide) {
        if (event->type() == QEvent::WindowStateChange && window_->isMinimized())
            QTimer::singleShot(0, window_, [window = window_] {
                window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            });
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Close && ActionOnClose != CloseAction::Exit) {
        event->ignore();
        return HideInsteadOfClosing();
    }
    if (event->type() == QEvent::WindowStateChange && taskbar_ != TaskbarButton::ShownMinimized &&
        window_->isMinimized()) {
        // Hidden rather than minimised: the window is brought back from the icon.
        QTimer::singleShot(0, window_, [window = window_] {
            window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
            window->hide();
        });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kairos
