// The program entry: one clock per user session.

#include <QApplication>
#include <QIcon>
#include <QString>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clocktext/LocaleFormatSettings.h"
#include "platform/Clock.h"
#include "platform/AtomicFile.h"
#include "platform/ProgramFile.h"
#include "platform/Folders.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "media/Media.h"
#include "media/Launcher.h"
#include "settings/IniStore.h"
#include "settings/FolderMacros.h"
#include "shell/ClockSyncRunner.h"
#include "shell/CommandLineOptions.h"
#include "shell/FontSubstitutes.h"
#include "shell/ClockWindow.h"
#include "shell/QtTranslations.h"
#ifdef Q_OS_WIN
#include "shell/BalloonNotifier.h"
#include "shell/WindowsConsole.h"
#include "shell/WindowsWakeFilter.h"
#else
#include "shell/DesktopNotifier.h"
#include "shell/SleepWatcher.h"
#endif
#include "shell/SingleInstanceGuard.h"
#include "shell/QtTimerBackend.h"
#include "shell/QueryCommand.h"
#include "shell/DeadlineTimers.h"
#include "shell/MessageBoxes.h"

namespace {

// Rendered from the drawing at each size: a 48-pixel face scaled down to 16
// pixels blurs its hands away.
// The notification-area icon, left empty, is this one too, so it has to be
// set before the clock window is made.
QIcon ApplicationIcon() {
    QIcon icon;
    for (const int size : {16, 22, 32, 48})
        icon.addFile(QStringLiteral(":/icons/kairos-%1.png").arg(size), QSize(size, size));
    return icon;
}

int Usage(const std::string& argument) {
    std::cerr << "kairos: 不明なオプションです: " << argument << "\n" << kairos::UsageText();
    return 2;
}

// The commands that need no display; nothing for the clock itself.
std::optional<int> RunCommand(const kairos::CommandLineOptions& options) {
#ifdef Q_OS_WIN
    if (options.mode != kairos::StartMode::Clock) kairos::UseParentConsole();
#endif
    switch (options.mode) {
        case kairos::StartMode::Help:
            std::cout << kairos::UsageText();
            return 0;
        case kairos::StartMode::Version:
            std::cout << "kairos " KAIROS_VERSION "\n";
            return 0;
        case kairos::StartMode::Query:
            return kairos::RunQueryCommand(options.server, std::cout, std::cerr);
        case kairos::StartMode::Invalid:
            return Usage(options.invalid);
        case kairos::StartMode::Clock:
            break;
    }
    return std::nullopt;
}

#ifndef Q_OS_WIN
// An environment variable for Qt, unless the user set it.
void SetUnlessSet(const char* name, const char* value) {
    if (!qEnvironmentVariableIsSet(name)) qputenv(name, value);
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
    if (const auto result = RunCommand(kairos::ParseCommandLine({argv + 1, argv + argc}))) return *result;
#ifndef Q_OS_WIN
    // A Wayland client cannot place its own window; through XWayland the
    // clock can stand where the user left it. A QT_QPA_PLATFORM of the
    // user's own (wayland to run natively) is kept.
    if (std::getenv("DISPLAY") != nullptr) SetUnlessSet("QT_QPA_PLATFORM", "xcb");
    // A shared-memory image costs a round trip to the X server on every
    // paint, and the clock's few hundred pixels gain nothing from it: a clock
    // that paints once a second would otherwise wake five times.
    SetUnlessSet("QT_XCB_NO_MITSHM", "1");
#endif
    kairos::ResolveFolderMacros();
    kairos::LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    // Whatever Qt did not take is not an option of anyone's.
    if (argc > 1) return Usage(argv[1]);
    kairos::InstallQtTranslations();
    kairos::DeadlineTimers timerList(std::make_unique<kairos::QtTimerBackend>());
    kairos::InstallDeadlineTimers(&timerList);

    // The guard holds its lock until the process ends, crash included.
    const kairos::SingleInstanceGuard guard(kairos::platform::ExecutablePath());
    if (guard.AlreadyRunning()) {
        kairos::ShowNotice("Kairosは既に起動しています。", kairos::DialogType::Information, 0);
        kairos::InstallDeadlineTimers(nullptr);
        return 0;
    }

    // Only the one copy of the clock may clear what saves cut short by a
    // crash left beside its files.
    for (const std::string& file : {kairos::platform::SettingsFilePath(), kairos::AlarmFilePath()})
        kairos::platform::RemoveStaleTemporaries(file);
    // A save past the file-size limit is a save error, not the end of the clock.
    kairos::platform::IgnoreFileSizeSignal();
    kairos::SetBackupNotice([](const std::string& message) {
        // After the save that made the backup, not inside it.
        QTimer::singleShot(0, [message] { kairos::ShowNotice(message, kairos::DialogType::Warning, 0); });
    });

    QApplication::setApplicationName(QStringLiteral("Kairos"));
    QApplication::setWindowIcon(ApplicationIcon());
    // A program started with a polling wait keeps the clock ticking meanwhile.
    kairos::SetMessagePump([] { QCoreApplication::processEvents(); });
    // The window is a tool window: it has no task-bar button, and closing it
    // is what ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    kairos::InstallFontSubstitutes();

    int result = 0;
    {
#ifdef Q_OS_WIN
        kairos::BalloonNotifier notifier;
#else
        kairos::DesktopNotifier notifier(QDBusConnection::sessionBus(), ApplicationIcon());
#endif
        kairos::ClockWindow clock({kairos::platform::SystemClock(), timerList,
                                   [] { return kairos::OpenSettings(); }, kairos::SystemMedia(),
                                   kairos::AlarmFilePath(), kairos::SystemSyncJob(),
                                   kairos::TickScheduling::Planned, &notifier});
        QObject::connect(&clock, &kairos::ClockWindow::Closed, &app, &QApplication::quit);
        // After a sleep the planned tick may be far off; the missed alarms are
        // told at once. Windows also tells a clock change there.
#ifdef Q_OS_WIN
        notifier.Attach(clock.Tray);
        const kairos::WindowsWakeFilter wakeUps([&clock] { clock.Ticks->TickSoon(); });
#else
        const kairos::SleepWatcher wakeUps(QDBusConnection::systemBus(), [&clock] { clock.Ticks->TickSoon(); });
#endif
        clock.show();
        result = QApplication::exec();
    }
    kairos::InstallDeadlineTimers(nullptr);
    return result;
}
