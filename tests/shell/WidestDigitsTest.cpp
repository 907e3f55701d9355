#include "shell/WidestDigits.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace kairos {
namespace {

// In every face installed, symbol faces with digits of many widths among
// them, no two-digit number is wider than the sample: pairs a face kerns
// are counted too.
TEST(WidestDigits, NoNumberIsWiderThanTheSample) {
    for (const QString& family : QFontDatabase::families()) {
        const QFontMetrics metrics(QFont(family, 18));
        const int sample = metrics.horizontalAdvance(WithWidestDigits(QStringLiteral("00"), metrics));
        for (int number = 0; number < 100; ++number) {
            const QString text = QStringLiteral("%1").arg(number, 2, 10, QChar(u'0'));
            ASSERT_LE(metrics.horizontalAdvance(text), sample) << family.toStdString() << " " << number;
        }
    }
}

TEST(WidestDigits, OnlyDigitsChange) {
    const QFontMetrics metrics(QFont(QStringLiteral("IPAPGothic"), 18));
    QString sample = WithWidestDigits(QStringLiteral("令和8年 12:59\r\n3"), metrics);
    for (QChar& c : sample)
        if (c.isDigit()) c = u'#';
    EXPECT_EQ(sample, QStringLiteral("令和#年 ##:##\r\n#"));
}

}  // namespace
}  // namespace kairos
