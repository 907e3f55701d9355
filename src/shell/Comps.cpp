#include "shell/Comps.h"

namespace kairos {

TKairosPanel::TKairosPanel(QWidget* parent) : QWidget(parent) {}

TKairosLabel::TKairosLabel(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setTextFormat(Qt::PlainText);  // a template's "<" is text, not markup
    setAttribute(Qt::WA_TranslucentBackground);
}

void TKairosLabel::SetText(std::string_view text) {
    if (text == text_) return;
    text_.assign(text);
    setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace kairos
