#pragma once
// Keeps a tool window out of the task bar and the pager on X11.

#include <QObject>
#include <cstdint>
#include <optional>

class QWidget;

namespace kairos {

// Qt gives a Qt::Tool window the utility type only, and panels such as tint2
// list utility windows all the same: the window states SKIP_TASKBAR and
// SKIP_PAGER are what keeps them out. The states follow the window's type,
// so a window that becomes a normal one gets its button back. Off X11 this
// does nothing.
//
// A window manager reads the states when it takes a window on and drops
// them when the window is unmapped, and a change of window flags may make a
// new native window: so they are written each time the window is about to
// be shown, and asked for once more when it is on screen, as a running
// manager expects to be asked, in case it was still letting the old mapping
// go when the new one came.
class SkipTaskbarHints final : public QObject {
public:
    explicit SkipTaskbarHints(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Atoms {
        std::uint32_t state, skipTaskbar, skipPager;
    };
    bool Skips() const;
    const Atoms* LookUpAtoms();
    void WriteBeforeMapping();
    void AskWindowManager();

    QWidget* window_;
    std::optional<Atoms> atoms_;
    bool askWhenExposed_ = false;
};

}  // namespace kairos
