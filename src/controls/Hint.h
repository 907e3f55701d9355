#pragma once
// A control's hint: "short|long". The short part is the pop-up tip, the long
// part is what a hint bar shows; a hint without "|" is both.

#include <QString>

class QWidget;

namespace kairos {

void SetHint(QWidget* control, const QString& hint);
QString HintOf(const QWidget* control);

QString ShortHint(const QString& hint);
QString LongHint(const QString& hint);

// The hint of the control or of its nearest enclosing control that has one,
// within its window; empty when none has.
QString EffectiveHint(const QWidget* control);

}  // namespace kairos
