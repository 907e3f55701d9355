#pragma once
// The panel that holds the clock window's two text lines.

#include <QPixmap>
#include <QWidget>
#include <string>

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

}  // namespace kairos
