#include "shell/ClockLine.h"

#include <QMouseEvent>

#include "shell/Colors.h"

namespace kairos {

ClockLine::ClockLine(QWidget* parent) : ShadowLabel(parent) {
    SetBevelWidth(0);
}

void ClockLine::SetText(std::string_view text) {
    if (text == text_) return;
    text_.assign(text);
    setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void ClockLine::SetFontColor(std::uint32_t color) {
    QPalette colors = palette();
    colors.setColor(QPalette::WindowText, ResolveColor(color, colors));
    setPalette(colors);
}

void ClockLine::mousePressEvent(QMouseEvent* event) {
    ShadowLabel::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) emit DragStarted(event->globalPosition().toPoint());
}

}  // namespace kairos
