#pragma once
// Drives the next modal dialog of a given class from the event loop, for
// tests of code that shows one and waits for it.

#include <QApplication>
#include <QTimer>

#include <functional>
#include <utility>

namespace kairos::testing {

// Once a Form is the active modal window, hands it to the action, which sets
// its controls and closes it.
template <typename Form>
class ModalDriver {
public:
    explicit ModalDriver(std::function<void(Form&)> action) : action_(std::move(action)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Drive(); });
        poll_.start(5);
    }
    bool Driven() const { return driven_; }

private:
    void Drive() {
        auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
        if (form == nullptr || !form->isVisible()) return;
        poll_.stop();
        driven_ = true;
        action_(*form);
    }

    std::function<void(Form&)> action_;
    QTimer poll_;
    bool driven_ = false;
};

}  // namespace kairos::testing
