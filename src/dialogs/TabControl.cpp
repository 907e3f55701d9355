#include "dialogs/TabControl.h"

#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

namespace kairos {

TabControl::TabControl(QWidget* parent) : QWidget(parent), tabs_(new QTabBar(this)) {
    // The frame below is drawn by this control, not by the strip.
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    connect(tabs_, &QTabBar::currentChanged, this, &TabControl::Change);
}

void TabControl::AddTab(const QString& caption) {
    tabs_->addTab(caption);
    PlaceTabs();
}

int TabControl::TabCount() const { return tabs_->count(); }

int TabControl::TabIndex() const { return tabs_->currentIndex(); }

void TabControl::SetTabIndex(int index, TabChangeNotice notice) {
    const QSignalBlocker blocker(notice == TabChangeNotice::Silent ? tabs_ : nullptr);
    tabs_->setCurrentIndex(index);
}

void TabControl::PlaceTabs() { tabs_->setGeometry(0, 0, width(), tabs_->sizeHint().height()); }

void TabControl::resizeEvent(QResizeEvent* event) {
    PlaceTabs();
    QWidget::resizeEvent(event);
}

void TabControl::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    const int top = tabs_->height() - overlap;
    frame.rect = QRect(0, top, width(), height() - top);
    frame.shape = tabs_->shape();
    frame.tabBarSize = tabs_->sizeHint();
    frame.tabBarRect = tabs_->geometry();
    frame.selectedTabRect = tabs_->tabRect(tabs_->currentIndex());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}

}  // namespace kairos
