#pragma once
// Answers the next modal message box from the event loop, for tests that
// drive code which asks the user something.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>

namespace kairos::testing {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;  // the one Enter gives
};

// Waits on the event loop for the next modal message box, notes what it
// shows and answers it with the named button (an empty name closes it).
class BoxAnswerer {
public:
    explicit BoxAnswerer(QString answer, std::function<void()> whileOpen = {})
        : answer_(std::move(answer)), whileOpen_(std::move(whileOpen)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start(5);
    }
    const std::optional<SeenBox>& Seen() const { return seen_; }

private:
    void Answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        poll_.stop();
        seen_ = SeenBox{box->windowTitle(), box->text(), box->icon(), {},
                        box->defaultButton() != nullptr ? box->defaultButton()->text() : QString()};
        QAbstractButton* chosen = nullptr;
        for (QAbstractButton* button : box->buttons()) {
            seen_->buttons << button->text();
            if (button->text() == answer_) chosen = button;
        }
        if (whileOpen_) whileOpen_();
        if (chosen != nullptr) chosen->click();
        else box->reject();
    }

    QString answer_;
    std::function<void()> whileOpen_;
    QTimer poll_;
    std::optional<SeenBox> seen_;
};

}  // namespace kairos::testing
