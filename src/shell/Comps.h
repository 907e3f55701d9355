#pragma once
// The clock window's panel and its two text lines.

#include <QLabel>
#include <QWidget>
#include <string>
#include <string_view>

namespace kairos {

class TKairosPanel final : public QWidget {
    Q_OBJECT
public:
    explicit TKairosPanel(QWidget* parent);
};

class TKairosLabel final : public QLabel {
    Q_OBJECT
public:
    explicit TKairosLabel(QWidget* parent);

    // The text changes up to 100 times a second and mostly stays the same:
    // comparing the UTF-8 bytes first spares the QString conversion, the
    // layout and the repaint of an unchanged line.
    void SetText(std::string_view text);
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace kairos
