#include "shell/FontSubstitutes.h"

#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace kairos {
namespace {

struct Substitute {
    const char* windowsFace;
    const char* candidates;  // comma-separated, best first
};

// IPA fonts were drawn to the metrics of the Windows faces; the Noto and
// Takao faces are further fallbacks of the same style.
constexpr Substitute kSubstitutes[] = {
    {"ＭＳ Ｐゴシック", "IPAPGothic,TakaoPGothic,IPAexGothic,Noto Sans CJK JP"},
    {"MS PGothic", "IPAPGothic,TakaoPGothic,IPAexGothic,Noto Sans CJK JP"},
    {"ＭＳ ゴシック", "IPAGothic,TakaoGothic,Noto Sans Mono CJK JP"},
    {"MS Gothic", "IPAGothic,TakaoGothic,Noto Sans Mono CJK JP"},
    {"MS UI Gothic", "IPAPGothic,TakaoPGothic,Noto Sans CJK JP"},
    {"ＭＳ Ｐ明朝", "IPAPMincho,TakaoPMincho,IPAexMincho,Noto Serif CJK JP"},
    {"MS PMincho", "IPAPMincho,TakaoPMincho,IPAexMincho,Noto Serif CJK JP"},
    {"ＭＳ 明朝", "IPAMincho,TakaoMincho,Noto Serif CJK JP"},
    {"MS Mincho", "IPAMincho,TakaoMincho,Noto Serif CJK JP"},
};

}  // namespace

void InstallFontSubstitutes() {
    for (const Substitute& entry : kSubstitutes) {
        const QString face = QString::fromUtf8(entry.windowsFace);
        if (QFontDatabase::hasFamily(face)) continue;
        QStringList installed;
        for (const QString& candidate : QString::fromUtf8(entry.candidates).split(u','))
            if (QFontDatabase::hasFamily(candidate)) installed << candidate;
        if (!installed.isEmpty()) QFont::insertSubstitutions(face, installed);
    }
}

}  // namespace kairos
