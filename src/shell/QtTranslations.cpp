#include "shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace kairos {

void InstallQtTranslations() {
    // Owned by the application, which consults it until it ends.
    auto* texts = new QTranslator(QCoreApplication::instance());
    if (texts->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(texts);
}

}  // namespace kairos
