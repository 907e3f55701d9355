#pragma once
// The settings of one extra drawing pass of a shadowed label: where it lies
// relative to the text, in which colour, and whether it is drawn. The owning
// label hears of every change so that it can repaint.

#include <QColor>
#include <QPen>
#include <QPoint>
#include <functional>

namespace kairos {

enum class PassState { Disabled, Enabled };

class TextPass final {
public:
    using ChangeNotification = std::function<void()>;

    TextPass(unsigned x, unsigned y, const QColor& color, PassState state, ChangeNotification changed);
    TextPass(const TextPass&) = delete;
    TextPass& operator=(const TextPass&) = delete;

    unsigned X() const { return x_; }
    void SetX(unsigned x);
    unsigned Y() const { return y_; }
    void SetY(unsigned y);
    QColor Color() const { return pen_.color(); }
    void SetColor(const QColor& color);
    bool Enabled() const { return state_ == PassState::Enabled; }
    void SetEnabled(PassState state);

    // The pass is drawn with this pen; keeping it spares building one per paint.
    const QPen& Pen() const { return pen_; }
    // (X, Y) in pixels, clamped far beyond any screen.
    QPoint Offset() const;

private:
    template <typename Field>
    void Store(Field& field, const Field& value) {
        if (field == value) return;
        field = value;
        changed_();
    }

    unsigned x_;
    unsigned y_;
    QPen pen_;
    PassState state_;
    ChangeNotification changed_;
};

}  // namespace kairos
