#pragma once
// One of the clock window's two text lines.

#include <cstdint>
#include <string>
#include <string_view>

#include "controls/ShadowLabel.h"

namespace kairos {

// A clock line: a shadow-text label that moves the window when dragged.
class ClockLine final : public ShadowLabel {
    Q_OBJECT
public:
    explicit ClockLine(QWidget* parent);

    // The text changes up to 100 times a second and mostly stays the same:
    // comparing the UTF-8 bytes first spares the QString conversion, the
    // layout and the repaint of an unchanged line.
    void SetText(std::string_view text);
    const std::string& Text() const { return text_; }
    // The text colour as the program stores colours (system colours included).
    void SetFontColor(std::uint32_t color);

signals:
    // A left-button press that starts moving the window.
    void DragStarted(QPoint globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    std::string text_;
};

}  // namespace kairos
