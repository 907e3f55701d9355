#include "shell/MessageBoxes.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include "media/Sounds.h"

namespace kairos {
namespace {

enum class TopBand { Topmost, Normal };

QMessageBox::Icon IconOf(DialogType type) {
    switch (type) {
        case DialogType::Warning: return QMessageBox::Warning;
        case DialogType::Error: return QMessageBox::Critical;
        case DialogType::Information: return QMessageBox::Information;
        case DialogType::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// A custom dialog carries the application's name, as the toolkit's own
// custom message dialog does.
QString CaptionOf(DialogType type) {
    switch (type) {
        case DialogType::Warning: return QStringLiteral("警告");
        case DialogType::Error: return QStringLiteral("エラー");
        case DialogType::Information: return QStringLiteral("情報");
        case DialogType::Confirmation: return QStringLiteral("確認");
    }
    return QGuiApplication::applicationDisplayName();
}

// Parentless: a box must not be freed under its own event loop by a window
// that closes meanwhile, and it comes up in the middle of the screen.
void ShowOkBox(QMessageBox::Icon icon, const QString& caption, const std::string& text) {
    QMessageBox box(icon, caption, QString::fromStdString(text), QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    // A notice may name a file or a package the user wants to copy.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

void PlaceInTopBand(QWidget* window, TopBand band) {
    if (window == nullptr) return;
    // A change of flags recreates the native window and hides it; Qt keeps
    // its position and size, and show() brings it back as SWP_SHOWWINDOW does.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, band == TopBand::Topmost);
    window->show();
}

// Only the user-interface thread shows boxes, so a plain flag suffices.
bool applicationErrorOpen = false;

class ApplicationErrorScope {
public:
    ApplicationErrorScope() { applicationErrorOpen = true; }
    ~ApplicationErrorScope() { applicationErrorOpen = false; }
    ApplicationErrorScope(const ApplicationErrorScope&) = delete;
    ApplicationErrorScope& operator=(const ApplicationErrorScope&) = delete;
};

}  // namespace

void BeepForDialogType(DialogType type) {
    if (const auto value = MessageBeepValue(type)) MessageBeep(*value);
}

// The help context has no help system to open yet; it is accepted so that
// callers already pass the page they mean.
void ShowNotice(const std::string& text, DialogType type, [[maybe_unused]] int helpContext) {
    BeepForDialogType(type);
    ShowOkBox(IconOf(type), CaptionOf(type), text);
}

bool AskYesNo(const std::string& text, DialogType type, [[maybe_unused]] int helpContext,
              DefaultAnswer defaultAnswer) {
    BeepForDialogType(type);
    QMessageBox box(IconOf(type), CaptionOf(type), QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
    box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    box.setDefaultButton(defaultAnswer == DefaultAnswer::Yes ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void SetTopMostWindow(QWidget* window) {
    PlaceInTopBand(window, TopBand::Topmost);
}

void SetNoTopMostWindow(QWidget* window) {
    PlaceInTopBand(window, TopBand::Normal);
}

void ShowApplicationError(const std::string& message) {
    if (applicationErrorOpen) return;
    const ApplicationErrorScope scope;
    ShowOkBox(QMessageBox::Critical, QStringLiteral("Kairos"), message);
}

}  // namespace kairos
