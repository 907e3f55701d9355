// Opens every dialog page on the display in $DISPLAY with sample settings and
// alarms and saves a picture of each, so the look can be judged by eye.
// Usage: dialog_shots <output folder> <kairos executable>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QListView>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "clocktext/LocaleFormatSettings.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/AlarmListDialog.h"
#include "dialogs/AlarmEditDialog.h"
#include "dialogs/DialogServices.h"
#include "dialogs/PreferencesDialog.h"
#include "alarms/Alarm.h"
#include "alarms/AlarmList.h"
#include "media/Media.h"
#include "platform/Clock.h"
#include "settings/IniStore.h"
#include "settings/FolderMacros.h"
#include "shell/FontSubstitutes.h"

namespace {

using namespace kairos;

constexpr const char* kSettings =
    "[General]\r\nDateFormat=yyyy年mm月dd日(ddd)\r\nTimeFormat=ampm h:nn:ss\r\n"
    "ToolTipFormat=dddddd%ntt\r\nAutoNTP=1\r\nAutoNTPInterval=60\r\n"
    "[Font]\r\nTimeColor=clNavy\r\nTimeShadow=1\r\n"
    "[InformationNote]\r\nPlay=1\r\nPath=/usr/share/sounds/kairos/notice.wav\r\n"
    "[TimeSignal]\r\nPlayJustTime=1\r\nTimesLoop=1\r\nPath=/usr/share/sounds/kairos/chime.wav\r\n"
    "[AlarmMessages]\r\nHistoryCount=10\r\n1=朝の会議\r\n2=燃えるゴミの日\r\n";

constexpr const char* kAlarms =
    "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nTime=7:00:00\r\nWeeks=wMon,wTue,wWed,wThu,wFri\r\n"
    "Snooze=sn5Minutes\r\nMessage=起床\r\n\r\n"
    "[Alarm2]\r\nAlarmKind=akAtWeeks\r\nTime=12:00:00\r\nWeeks=wSun,wMon,wTue,wWed,wThu,wFri,wSat\r\n"
    "Message=昼休み\r\n\r\n"
    "[Alarm3]\r\nAlarmKind=akAtDate\r\nDate=2026/12/24\r\nTime=18:30:00\r\nMessage=クリスマスイブ\r\n"
    "Command=/usr/share/sounds/kairos/chime.wav\r\nRemoveOnExec=1\r\n";

// Nothing is played or opened while the pictures are taken.
class SilentMedia final : public Media {
public:
    bool PlaySoundFile(const std::string&, SoundWait) override { return false; }
    bool PlaySystemSound(const std::string&, SoundWait) override { return false; }
    void Beep(int, int) override {}
    std::shared_ptr<RepeatedSound> PlaySoundRepeated(const std::string&, int) override { return nullptr; }
    int ExecuteFile(const std::string&, int) override { return 0; }
};

void WriteFile(const std::string& path, const char* text) { std::ofstream(path, std::ios::binary) << text; }

// Shows the dialog without its modal loop, lets it lay itself out and paint,
// and saves what it shows.
void Shoot(QWidget& dialog, const QString& file) {
    dialog.show();
    for (int round = 0; round < 5; ++round) QApplication::processEvents();
    if (!dialog.grab().save(file)) std::fprintf(stderr, "dialog_shots: cannot write %s\n", qPrintable(file));
    else std::printf("%s\n", qPrintable(file));
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialog_shots <output folder> <kairos executable>\n");
        return 2;
    }
    ResolveFolderMacros();
    LoadLocaleFormatSettings();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kairos"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kairos-48.png")));
    InstallFontSubstitutes();

    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const std::string folder = (std::filesystem::temp_directory_path() / "kairos-dialog-shots").string();
    std::filesystem::create_directories(folder);
    const std::string settings = folder + "/kairos.ini";
    WriteFile(settings, kSettings);
    WriteFile(folder + "/Alarm.ini", kAlarms);

    SilentMedia media;
    const DialogServices services{platform::SystemClock(), [settings] { return std::make_unique<IniStore>(settings); },
                                  media, {}, folder + "/Alarm.ini"};

    // The same pictures on every machine: the system's time service counts
    // as off, whatever this one runs.
    PreferencesDialog::SetSystemSyncQuery([](QObject*, std::function<void(bool)> answer) { answer(false); });
    {
        PreferencesDialog preferences(services);
        const char* pages[] = {"display", "format", "sound", "timeset"};
        for (int page = 0; page < 4; ++page) {
            preferences.PageControl->setCurrentIndex(page);
            Shoot(preferences, out + QStringLiteral("/preferences-%1.png").arg(pages[page]));
        }
    }
    {
        AlarmListDialog alarms(services);
        alarms.AlarmView->setCurrentIndex(alarms.AlarmView->model()->index(0, 0));
        alarms.FollowSelection();
        Shoot(alarms, out + "/alarms.png");
    }
    {
        AlarmList list(folder + "/Alarm.ini");
        list.LoadFromFile();
        for (std::size_t index : {std::size_t{0}, std::size_t{2}}) {
            AlarmEditDialog property(services);
            property.SetAlarmData(list[index]);
            Shoot(property, out + (index == 0 ? "/alarm-property-weeks.png" : "/alarm-property-date.png"));
        }
    }
    {
        AboutDialog about(services, nullptr, argv[2]);
        Shoot(about, out + "/about.png");
    }
    std::filesystem::remove_all(folder);
    return 0;
}
