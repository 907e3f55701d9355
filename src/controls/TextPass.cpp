#include "controls/TextPass.h"

#include <algorithm>
#include <utility>

namespace kairos {
namespace {

constexpr unsigned kMaxOffset = 0xFFFF;

int Pixels(unsigned value) { return static_cast<int>(std::min(value, kMaxOffset)); }

}  // namespace

TTextPos::TTextPos(unsigned x, unsigned y, const QColor& color, PassState state, ChangeNotification changed)
    : x_(x),
      y_(y),
      pen_(color),
      state_(state),
      changed_(std::move(changed)) {}

void TTextPos::SetX(unsigned x) { Store(x_, x); }

void TTextPos::SetY(unsigned y) { Store(y_, y); }

void TTextPos::SetColor(const QColor& color) {
    if (color == pen_.color()) return;
    pen_.setColor(color);
    changed_();
}

void TTextPos::SetEnabled(PassState state) { Store(state_, state); }

QPoint TTextPos::Offset() const { return QPoint(Pixels(x_), Pixels(y_)); }

}  // namespace kairos
