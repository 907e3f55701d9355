#include "shell/ClockLine.h"

#include <QMouseEvent>
#include <algorithm>
#include <cmath>

#include "shell/Colors.h"

namespace kairos {

ClockLine::ClockLine(QWidget* parent) : ShadowLabel(parent) {
    SetBevelWidth(0);
}

void ClockLine::SetText(std::string_view text) {
    if (text == text_) return;
    text_.assign(text);
    setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    SetScrollPosition(0);
}

int ClockLine::Overflow() const { return Block().Extent().width() - contentsRect().width(); }

// A hidden line has no width yet to go by, and nobody to read it.
bool ClockLine::Overflows() const { return isVisible() && Overflow() > 0; }

void ClockLine::SetScrollPosition(double fraction) {
    scroll_ = std::clamp(fraction, 0.0, 1.0);
    const int overflow = Overflow();
    if (overflow <= 0) {
        SetTextShift(0);
        return;
    }
    // Where the alignment puts the text's left edge, and where it is to be:
    // flush left at the start, flush right at the end.
    const Qt::Alignment horizontal = VisualAlignment() & Qt::AlignHorizontal_Mask;
    const int aligned = horizontal & Qt::AlignHCenter ? -overflow / 2 : horizontal & Qt::AlignRight ? -overflow : 0;
    const int wanted = -static_cast<int>(std::lround(scroll_ * overflow));
    SetTextShift(aligned - wanted);
}

void ClockLine::SetFontColor(std::uint32_t color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, ResolveColor(color, colors));
    setPalette(colors);
}

void ClockLine::resizeEvent(QResizeEvent* event) {
    ShadowLabel::resizeEvent(event);
    SetScrollPosition(scroll_);
}

void ClockLine::mousePressEvent(QMouseEvent* event) {
    ShadowLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit DragStarted(event->globalPosition().toPoint());
}

}  // namespace kairos
