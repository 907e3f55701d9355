#pragma once
// Labels are checked by their pixels: rendered off screen in an aliased font,
// every pixel of a text pass is exactly that pass's colour.

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QWidget>
#include <vector>

namespace kairos::testing {

inline const QColor kBackground(0x00, 0x80, 0x00);
inline const QColor kTextColor(0x00, 0x00, 0x00);

inline QFont AliasedFont(int pixels = 24) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

inline void SetColor(QWidget& widget, QPalette::ColorRole role, const QColor& color) {
    QPalette colors = widget.palette();
    colors.setColor(role, color);
    widget.setPalette(colors);
}

// A parent painted in kBackground.
struct Host final : QWidget {
    Host() {
        setAutoFillBackground(true);
        SetColor(*this, QPalette::Window, kBackground);
        resize(200, 120);
    }
};

inline void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

inline QImage Render(QWidget& widget, QWidget::RenderFlags flags = QWidget::DrawWindowBackground | QWidget::DrawChildren) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), flags);
    return image;
}

inline std::vector<QPoint> PixelsOf(const QImage& image, const QColor& color) {
    std::vector<QPoint> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color) found.emplace_back(x, y);
    return found;
}

inline QRect BoundsOf(const std::vector<QPoint>& points) {
    QRect bounds;
    for (const QPoint& point : points) bounds |= QRect(point, QSize(1, 1));
    return bounds;
}

struct PaintCounter final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

}  // namespace kairos::testing
