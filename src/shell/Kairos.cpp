// The program entry: one clock per user session.

#include <QApplication>
#include <memory>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"
#include "platform/Executable.h"
#include "shell/FontSubstitutes.h"
#include "shell/Main.h"
#include "shell/NoMultipleBoot.h"
#include "shell/QtTimerWindow.h"
#include "shell/Timeout.h"
#include "shell/stdDialogs.h"

int main(int argc, char* argv[]) {
    kairos::LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    kairos::TTimerList timerList(std::make_unique<kairos::QtTimerWindow>());
    kairos::InstallTimerList(&timerList);

    // The guard holds its lock until the process ends, crash included.
    const kairos::NoMultipleBoot guard(kairos::platform::ExecutablePath());
    if (guard.AlreadyRunning()) {
        kairos::ShowNotice("Kairosは既に起動しています。", kairos::DialogType::Information, 0);
        kairos::InstallTimerList(nullptr);
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("Kairos"));
    // The window is a tool window: it has no task-bar button, and closing it
    // is what ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    kairos::InstallFontSubstitutes();

    int result = 0;
    {
        kairos::TKairosDisplayForm clock(kairos::platform::SystemClock(), timerList);
        QObject::connect(&clock, &kairos::TKairosDisplayForm::Closed, &app, &QApplication::quit);
        clock.show();
        result = QApplication::exec();
    }
    kairos::InstallTimerList(nullptr);
    return result;
}
