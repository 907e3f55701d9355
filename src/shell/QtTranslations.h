#pragma once
// Qt's own texts (the file and colour dialogs, the buttons of a box) in the
// program's language, whatever the locale.

namespace kairos {

// Installs Qt's Japanese translations for the rest of the process; without
// them on the machine Qt stays English, which is all it can do.
void InstallQtTranslations();

}  // namespace kairos
