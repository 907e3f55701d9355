#include "controls/TextBlock.h"

#include <QFont>
#include <QPainter>
#include <QTransform>
#include <algorithm>

namespace kairos {
namespace {

int AlignedLeft(const QRect& rect, int width, Qt::Alignment alignment) {
    if (alignment & Qt::AlignRight) return rect.x() + rect.width() - width;
    if (alignment & Qt::AlignHCenter) return rect.x() + (rect.width() - width) / 2;
    return rect.x();
}

int AlignedTop(const QRect& rect, int height, Qt::Alignment alignment) {
    if (alignment & Qt::AlignBottom) return rect.y() + rect.height() - height;
    if (alignment & Qt::AlignVCenter) return rect.y() + (rect.height() - height) / 2;
    return rect.y();
}

}  // namespace

int TextBlock::LineWidth(const QFontMetrics& metrics, QStringView line) {
    // A raw-data string spares copying the line just to measure it.
    return metrics.horizontalAdvance(QString::fromRawData(line.data(), line.size()));
}

QSize TextBlock::Measure(const QFontMetrics& metrics, QStringView text) {
    int width = 0;
    int lines = 0;
    ForEachLine(text, [&](QStringView line) {
        width = std::max(width, LineWidth(metrics, line));
        ++lines;
    });
    return QSize(width, lines * metrics.height());
}

void TextBlock::Layout(const QString& text, const QFont& font) {
    const QFontMetrics metrics(font);
    lineHeight_ = metrics.height();
    ascent_ = metrics.ascent();
    decorated_ = font.underline() || font.strikeOut() || font.overline();
    singleLineWidth_ = 0;
    int widest = 0;
    std::size_t count = 0;
    ForEachLine(text, [&](QStringView line) {
        if (count == lines_.size()) lines_.emplace_back();
        Line& laid = lines_[count++];
        laid.width = LineWidth(metrics, line);
        laid.glyphs.setTextFormat(Qt::PlainText);
        laid.glyphs.setText(line.toString());
        laid.glyphs.prepare(QTransform(), font);
        widest = std::max(widest, laid.width);
        singleLineWidth_ += laid.width;
    });
    lines_.resize(count);
    extent_ = QSize(widest, static_cast<int>(count) * lineHeight_);
}

void TextBlock::Draw(QPainter& painter, const QRect& rect, Qt::Alignment alignment) const {
    int top = AlignedTop(rect, extent_.height(), alignment);
    for (const Line& line : lines_) {
        const int left = AlignedLeft(rect, line.width, alignment);
        // Prepared glyphs draw their underline per run of one font, and with
        // a substituted face X11 cut it short; plain text draws it whole.
        if (decorated_) painter.drawText(QPoint(left, top + ascent_), line.glyphs.text());
        else painter.drawStaticText(QPoint(left, top), line.glyphs);
        top += lineHeight_;
    }
}

}  // namespace kairos
