#pragma once
// The screens as a window has to stay on them.

#include <QObject>
#include <QPoint>
#include <QRect>

class QScreen;
class QTimer;

namespace kairos {

// Tells when the screens change in a way that can leave a window off them:
// a screen added or removed, or the geometry, work area or resolution of
// one changed. The changes of one rearrangement come together and are told once.
class ScreenWatch final : public QObject {
    Q_OBJECT
public:
    explicit ScreenWatch(QObject* parent);

signals:
    void Changed();

private:
    void Watch(QScreen* screen);

    QTimer* settle_ = nullptr;
};

// The nearest position at which a window of this geometry lies wholly within
// the screens' work areas; its own position when it already does.
QPoint OnScreenPosition(const QRect& window);

}  // namespace kairos
