#pragma once
// A label's caption laid out once per change of text or font, so that each
// paint, and each extra pass of a shadowed label, only places ready glyphs.
// Line breaks (CR LF, CR or LF) start new lines; "&" is an ordinary character.

#include <QFontMetrics>
#include <QRect>
#include <QSize>
#include <QStaticText>
#include <QString>
#include <QStringView>
#include <vector>

class QFont;
class QPainter;

namespace kairos {

template <typename Visit>
void ForEachLine(QStringView text, Visit&& visit) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        visit(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    visit(text.sliced(start));
}

class TextBlock {
public:
    // The widest line and the height of all lines; an empty text is one
    // empty line.
    static QSize Measure(const QFontMetrics& metrics, QStringView text);

    void Layout(const QString& text, const QFont& font);

    QSize Extent() const { return extent_; }
    // The caption measured as if its lines followed each other on one line.
    QSize SingleLineExtent() const { return QSize(singleLineWidth_, lineHeight_); }

    // Places the block in rect by the alignment, in the painter's pen.
    void Draw(QPainter& painter, const QRect& rect, Qt::Alignment alignment) const;

private:
    static int LineWidth(const QFontMetrics& metrics, QStringView line);

    struct Line {
        QStaticText glyphs;
        int width = 0;
    };

    std::vector<Line> lines_;
    QSize extent_;
    int lineHeight_ = 0;
    int ascent_ = 0;
    int singleLineWidth_ = 0;
    // Underlined, struck out or overlined.
    bool decorated_ = false;
};

}  // namespace kairos
