#include "shell/TiledPicture.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>

namespace kairos {

std::uint32_t TileDraw(const QRect& rect, QPainter& canvas, const QPixmap& picture) {
    if (picture.isNull() || picture.width() == 0 || picture.height() == 0 || rect.isEmpty()) return 0;
    QElapsedTimer took;
    took.start();
    QPixmap buffer(rect.size());
    buffer.fill(Qt::transparent);
    {
        QPainter tiles(&buffer);
        for (int x = 0; x <= buffer.width(); x += picture.width())
            for (int y = 0; y <= buffer.height(); y += picture.height()) tiles.drawPixmap(x, y, picture);
    }
    canvas.drawPixmap(rect.topLeft(), buffer);
    return static_cast<std::uint32_t>(took.elapsed());
}

}  // namespace kairos
