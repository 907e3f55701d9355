#include "controls/Hint.h"

#include <QVariant>
#include <QWidget>

namespace kairos {
namespace {

constexpr const char* HintProperty = "hint";

}  // namespace

void SetHint(QWidget* control, const QString& hint) {
    control->setProperty(HintProperty, hint);
    control->setToolTip(ShortHint(hint));
}

QString HintOf(const QWidget* control) { return control->property(HintProperty).toString(); }

QString ShortHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString EffectiveHint(const QWidget* control) {
    for (const QWidget* widget = control; widget != nullptr; widget = widget->parentWidget()) {
        const QString hint = HintOf(widget);
        if (!hint.isEmpty()) return hint;
        if (widget->isWindow()) break;
    }
    return {};
}

}  // namespace kairos
