#include "dialogs/DialogPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace kairos {
namespace {

// The lower limit is applied last, so it wins when the range is empty.
int ClampEdge(int position, int size, int areaStart, int areaSize) {
    return std::max(std::min(position, areaStart + areaSize - size), areaStart);
}

QScreen* ScreenOf(const QWidget* dialog) {
    QScreen* screen = dialog->screen();
    return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

void ClampInto(QWidget* dialog, const QRect& area) {
    const QRect frame = dialog->frameGeometry();
    const QPoint topLeft = ClampIntoArea(frame, area);
    dialog->move(dialog->pos() + (topLeft - frame.topLeft()));
}

}  // namespace

QPoint ClampIntoArea(const QRect& window, const QRect& area) {
    const int top = ClampEdge(window.top(), window.height(), area.top(), area.height());
    const int left = ClampEdge(window.left(), window.width(), area.left(), area.width());
    return {left, top};
}

void CentreOnOwner(QWidget* dialog) {
    const QWidget* owner = dialog->parentWidget() != nullptr ? dialog->parentWidget()->window() : nullptr;
    const QRect around = owner != nullptr ? owner->frameGeometry() : ScreenOf(dialog)->geometry();
    QRect frame = dialog->frameGeometry();
    frame.moveCenter(around.center());
    dialog->move(dialog->pos() + (frame.topLeft() - dialog->frameGeometry().topLeft()));
}

void KeepInWorkArea(QWidget* dialog) { ClampInto(dialog, ScreenOf(dialog)->availableGeometry()); }

void KeepOnScreen(QWidget* dialog) {
    const QSize screen = ScreenOf(dialog)->size();
    ClampInto(dialog, QRect(QPoint(0, 0), screen));
}

}  // namespace kairos
