#include "shell/ClockPanel.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <array>

#include "shell/TiledPicture.h"

namespace kairos {
namespace {

constexpr std::array<const char*, 4> kPictureExtensions = {"bmp", "ico", "emf", "wmf"};

bool HasPictureExtension(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const char* extension : kPictureExtensions)
        if (suffix == QLatin1String(extension)) return true;
    return false;
}

}  // namespace

ClockPanel::ClockPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

bool ClockPanel::LoadPicture(const std::string& fileName) {
    const QString name = QString::fromStdString(fileName);
    if (name.isEmpty() || !HasPictureExtension(name)) return false;
    // The extension decides the format, as it does for the user: a JPEG
    // named .bmp is not a bitmap.
    QImageReader reader(name, QFileInfo(name).suffix().toLower().toLatin1());
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull()) return false;  // emf and wmf end here on this platform
    picture_ = QPixmap::fromImage(std::move(image));
    update();
    return true;
}

void ClockPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(area.topLeft(), area.topRight());
    painter.drawLine(area.topLeft(), area.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.topRight(), area.bottomRight());
    TileDraw(area, painter, picture_);
}

}  // namespace kairos
