#include "controls/FileNameEdit.h"

#include <QEvent>

namespace kairos {

FileNameEdit::FileNameEdit(QWidget* parent) : QLineEdit(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, false);
    button_ = new BrowseButton(parent);
    button_->setObjectName(QStringLiteral("BrowseButton"));
    button_->setLayoutDirection(layoutDirection());
    button_->LinkTo(this);
}

FileNameEdit::~FileNameEdit() {
    if (!button_) return;
    button_->Unlink();
    // The edit owns its button although they share a parent.
    delete button_.data();
}

void FileNameEdit::setVisible(bool visible) {
    QLineEdit::setVisible(visible);
    SyncButtonVisibility();
}

void FileNameEdit::changeEvent(QEvent* event) {
    QLineEdit::changeEvent(event);
    if (!button_) return;
    switch (event->type()) {
        case QEvent::EnabledChange: button_->setEnabled(!testAttribute(Qt::WA_ForceDisabled)); break;
        case QEvent::LayoutDirectionChange: button_->setLayoutDirection(layoutDirection()); break;
        case QEvent::ParentChange: FollowParent(); break;
        default: break;
    }
}

void FileNameEdit::moveEvent(QMoveEvent* event) {
    QLineEdit::moveEvent(event);
    if (button_) button_->LinkTo(this);
}

void FileNameEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    if (button_) button_->LinkTo(this);
}

void FileNameEdit::FollowParent() {
    if (button_->parentWidget() != parentWidget()) button_->setParent(parentWidget());
    button_->setEnabled(!testAttribute(Qt::WA_ForceDisabled));
    button_->LinkTo(this);
    SyncButtonVisibility();
}

void FileNameEdit::SyncButtonVisibility() {
    if (!button_) return;
    // A button without a parent would be a window of its own.
    if (button_->parentWidget() == nullptr) {
        button_->hide();
        return;
    }
    const bool shownOrHidden = testAttribute(Qt::WA_WState_ExplicitShowHide);
    if (shownOrHidden || isVisible()) button_->setVisible(!isHidden());
}

std::string FileNameEdit::FileName() const {
    const BrowseButton* button = Button();
    return button != nullptr ? button->FileName() : std::string();
}

void FileNameEdit::SetFileName(const std::string& name) {
    if (BrowseButton* button = Button()) button->AssignFileName(name);
}

}  // namespace kairos
