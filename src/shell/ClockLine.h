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
    // How far a text wider than the line has been moved through it: at 0
    // its start shows, at 1 its end. A new text starts at 0.
    void SetScrollPosition(double fraction);
    // Whether the text is wider than the line.
    bool Overflows() const;
    // The text colour as the program stores colours (system colours included).
    void SetFontColor(std::uint32_t color);

signals:
    // A left-button press that starts moving the window.
    void DragStarted(QPoint globalPosition);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int Overflow() const;

    std::string text_;
    double scroll_ = 0;
};

}  // namespace kairos
