#include "controls/TextPass.h"

#include <algorithm>
#include <utility>

namespace kairos {
namespace {

constexpr unsigned kMaxOffset = 0xFFFF;

int Pixels(unsigned value) { return static_cast<int>(std::min(value, kMaxOffset)); }

}  // namespace

TextPass::TextPass(unsigned x, unsigned y, const QColor& color, PassState state, ChangeNotification changed)
    : x_(x),
      y_(y),
      pen_(color),
      state_(state),
      changed_(std::move(changed)) {}

void TextPass::SetX(unsigned x) { Store(x_, x); }

void TextPass::SetY(unsigned y) { Store(y_, y); }

void TextPass::SetColor(const QColor& color) {
    if (color == pen_.color()) return;
    pen_.setColor(color);
    changed_();
}

void TextPass::SetEnabled(PassState state) { Store(state_, state); }

QPoint TextPass::Offset() const { return QPoint(Pixels(x_), Pixels(y_)); }

}  // namespace kairos
