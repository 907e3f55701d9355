#include "shell/ScreenWatch.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <vector>

#include "shell/VisiblePosition.h"

namespace kairos {

ScreenWatch::ScreenWatch(QObject* parent) : QObject(parent), settle_(new QTimer(this)) {
    settle_->setSingleShot(true);
    settle_->setInterval(0);
    connect(settle_, &QTimer::timeout, this, &ScreenWatch::Changed);
    const auto changed = [this] { settle_->start(); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, changed](QScreen* screen) {
        Watch(screen);
        changed();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, changed);
    for (QScreen* screen : QGuiApplication::screens()) Watch(screen);
}

void ScreenWatch::Watch(QScreen* screen) {
    const auto changed = [this] { settle_->start(); };
    connect(screen, &QScreen::geometryChanged, this, changed);
    connect(screen, &QScreen::availableGeometryChanged, this, changed);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, changed);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, changed);
}

QPoint OnScreenPosition(const QRect& window) {
    std::vector<SnapRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect work = screen->availableGeometry();
        areas.push_back({work.left(), work.top(), work.width(), work.height()});
    }
    const SnapPoint position = VisiblePosition({window.left(), window.top(), window.width(), window.height()}, areas);
    return {position.x, position.y};
}

}  // namespace kairos
