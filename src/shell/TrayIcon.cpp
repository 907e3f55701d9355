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

}  // namespace

std::string TrayTipText(std::string_view tip) {
    const std::string_view text = tip.empty() ? kApplicationTitle : tip;
    return std::string(text.substr(0, Utf8CutPoint(text, MaxTipBytes)));
}

T_TaskTray::T_TaskTray(QWidget* ownerForm)
    : QObject(ownerForm), ownerForm_(ownerForm), trayIcon_(new QSystemTrayIcon(this)) {
    ownerForm_->installEventFilter(this);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &T_TaskTray::IconActivated);
    connect(trayIcon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (OnBalloonClick) OnBalloonClick(this);
    });
}

T_TaskTray::~T_TaskTray() { RemoveIcon(); }

void T_TaskTray::SetTaskTray(bool value) {
    if (value == taskTray_) return;
    taskTray_ = value;
    ApplyTaskTray(value);
}

void T_TaskTray::ApplyTaskTray(bool on) {
    if (on) AddIcon();
    else RemoveIcon();
    ShowTaskBarButton(!taskTray_ || taskBar_ != eBAR_HIDE);
}

void T_TaskTray::SetTaskBar(T_eTaskBar value) {
    if (value == taskBar_) return;
    taskBar_ = value;
    ShowTaskBarButton(!taskTray_ || value != eBAR_HIDE);
}

void T_TaskTray::AddIcon() {
    trayIcon_->setIcon(ShownIcon());
    sentTip_.clear();
    SendTip();
    TryAddIcon(AddAttempts);
}

// A desktop whose notification area is not up yet gets two more chances;
// after those the icon is shown all the same, for a notification area that
// turns up later to pick it up.
void T_TaskTray::TryAddIcon(int attemptsLeft) {
    if (!taskTray_) return;
    if (QSystemTrayIcon::isSystemTrayAvailable() || attemptsLeft <= 1) {
        trayIcon_->show();
        return;
    }
    QTimer::singleShot(AddRetryMs, this, [this, attemptsLeft] { TryAddIcon(attemptsLeft - 1); });
}

void T_TaskTray::RemoveIcon() {
    taskTray_ = false;
    trayIcon_->hide();
}

void T_TaskTray::SetTip(const std::string& text) {
    tip_ = text;
    if (taskTray_) SendTip();
}

// Each message to the notification area costs a D-Bus or X round trip; the
// clock sets the tip a hundred times a second.
void T_TaskTray::SendTip() {
    std::string shown = TrayTipText(tip_);
    if (shown == sentTip_) return;
    trayIcon_->setToolTip(ToShownTip(shown));
    sentTip_ = std::move(shown);
}

std::string T_TaskTray::ShownTip() const { return trayIcon_->toolTip().toStdString(); }

void T_TaskTray::SetIcon(const QIcon& icon) {
    icon_ = icon;
    if (taskTray_) trayIcon_->setIcon(ShownIcon());
}

QIcon T_TaskTray::ShownIcon() const { return icon_.isNull() ? QGuiApplication::windowIcon() : icon_; }

// The notification area shows the menu itself (an exported menu for a
// StatusNotifierItem host, a popup for XEmbed).
void T_TaskTray::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
    trayIcon_->setContextMenu(menu);
}

void T_TaskTray::ShowTaskBarButton(bool show) {
    const bool shown = ownerForm_->windowType() != Qt::Tool;
    if (shown == show) return;
    const bool wasVisible = ownerForm_->isVisible();
    ownerForm_->setWindowFlag(Qt::Tool, !show);
    if (show) ownerForm_->setWindowFlag(Qt::Window, true);
    if (wasVisible) {
        ownerForm_->show();
        ownerForm_->activateWindow();
    }
}

void T_TaskTray::IconActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger: LeftClick(); break;
        case QSystemTrayIcon::DoubleClick:
            // The second click of a double click is a click of its own.
            LeftClick();
            if (OnDblClick) OnDblClick(this);
            break;
        case QSystemTrayIcon::Context: RightClick(); break;
        default: break;
    }
}

void T_TaskTray::LeftClick() {
    bool handled = false;
    if (OnClick) OnClick(this, QCursor::pos(), handled);
    if (handled) return;
    ownerForm_->setWindowState(ownerForm_->windowState() & ~Qt::WindowMinimized);
    ownerForm_->show();
    if (taskBar_ != eBAR_HIDE) ShowTaskBarButton(true);
    ownerForm_->raise();
    ownerForm_->activateWindow();
}

void T_TaskTray::RightClick() {
    ownerForm_->activateWindow();
    bool handled = false;
    if (OnContextPopup) OnContextPopup(this, QCursor::pos(), handled);
}

bool T_TaskTray::HideInsteadOfClosing() {
    if (CloseAction == eCLOSE_MINIMIZE && taskBar_ == eBAR_SHOWMINIMIZE) ownerForm_->showMinimized();
    else ownerForm_->hide();
    return true;
}

bool T_TaskTray::eventFilter(QObject* watched, QEvent* event) {
    // Without a notification area a hidden tool window could never be shown
    // again: close then ends the program and minimise is undone.
    if (watched != ownerForm_ || !taskTray_) return QObject::eventFilter(watched, event);
    const bool canHide = NotificationAreaAvailable && NotificationAreaAvailable();
    if (!canHide) {
        if (event->type() == QEvent::WindowStateChange && ownerForm_->isMinimized())
            QTimer::singleShot(0, ownerForm_, [form = ownerForm_] {
                form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
            });
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Close && CloseAction != eCLOSE_EXIT) {
        event->ignore();
        return HideInsteadOfClosing();
    }
    if (event->type() == QEvent::WindowStateChange && taskBar_ != eBAR_SHOWMINIMIZE && ownerForm_->isMinimized()) {
        // Hidden rather than minimised: the window is brought back from the icon.
        QTimer::singleShot(0, ownerForm_, [form = ownerForm_] {
            form->setWindowState(form->windowState() & ~Qt::WindowMinimized);
            form->hide();
        });
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kairos
