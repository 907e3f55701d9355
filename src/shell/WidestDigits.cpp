#include "shell/WidestDigits.h"

#include <QFontMetrics>
#include <utility>

#include "controls/TextBlock.h"

namespace kairos {
namespace {

QString WithDigit(QString text, QChar digit) {
    for (QChar& c : text)
        if (c >= u'0' && c <= u'9') c = digit;
    return text;
}

}  // namespace

// The whole text is measured for each digit rather than the digits alone,
// so that pairs a face kerns closer are counted as it draws them.
QString WithWidestDigits(const QString& text, const QFontMetrics& metrics) {
    QString widest = WithDigit(text, u'0');
    int widestWidth = TextBlock::Measure(metrics, widest).width();
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        QString candidate = WithDigit(text, digit);
        if (const int width = TextBlock::Measure(metrics, candidate).width(); width > widestWidth) {
            widest = std::move(candidate);
            widestWidth = width;
        }
    }
    return widest;
}

}  // namespace kairos
