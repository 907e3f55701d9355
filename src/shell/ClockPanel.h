#pragma once
// The clock window's panel and its two text lines.

#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <string>
#include <string_view>

#include "controls/ShadowLabel.h"

namespace kairos {

// The panel inside the window's frame: a raised one-pixel bevel, no
// background of its own (the window colour shows through), and an optional
// picture tiled over all of it, bevel included.
class ClockPanel final : public QWidget {
    Q_OBJECT
public:
    explicit ClockPanel(QWidget* parent);

    // Loads a bmp, ico, emf or wmf file by its extension. On any failure the
    // panel keeps the picture it had.
    bool LoadPicture(const std::string& fileName);
    const QPixmap& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

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
