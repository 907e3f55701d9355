// The notifications as a real notification service receives them: dunst on
// a private session bus of the test's own, never the desktop's.

#include "shell/DesktopNotifier.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QIcon>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "alarms/AlarmNotice.h"
#include "clocktext/LocaleFormatSettings.h"
#include "settings/IniStore.h"
#include "shell/ClockWindow.h"
#include "shell/DeadlineTimers.h"
#include "shell/SleepWatcher.h"
#include "support/QtWithin.h"
#include "support/FakeClock.h"
#include "support/RecordingMedia.h"
#include "support/SampleLocale.h"
#include "support/SimulatedTimers.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

// What the service keeps of one notification.
struct Received {
    std::string summary;
    std::string body;
    std::string appName;
    long long timeoutUs;  // 0: stays until dismissed
};

using testing::Within;

// A session bus of its own with dunst serving notifications on it. Its
// context menu picks the action "今回で止める" by itself.
class NotificationService {
public:
    bool Start() {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() ||
            QStandardPaths::findExecutable("dunst").isEmpty())
            return false;
        bus_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        if (!bus_.waitForReadyRead(5000)) return false;
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        const std::string pick = dir_.Write("pick.sh", "#!/bin/sh\ngrep -m1 '今回で止める'\n");
        std::filesystem::permissions(pick, std::filesystem::perms::owner_all);
        const std::string config = dir_.Write("dunstrc", "[global]\n    dmenu = " + pick + "\n");
        dunst_.setProcessEnvironment(Environment());
        dunst_.start("dunst", {"-config", QString::fromStdString(config)});
        connection_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, "kairos-test"));
        return Within(5000, [this] {
            return connection_->interface()->isServiceRegistered("org.freedesktop.Notifications").value();
        });
    }
    ~NotificationService() {
        if (connection_) QDBusConnection::disconnectFromBus("kairos-test");
        for (QProcess* process : {&dunst_, &bus_}) {
            process->terminate();
            process->waitForFinished(3000);
        }
    }

    QDBusConnection& Bus() { return *connection_; }
    const QString& Address() const { return address_; }

    // Closes what shows, then reads the history, oldest first.
    std::vector<Received> History() {
        Control({"close-all"});
        const QJsonDocument history = QJsonDocument::fromJson(Control({"history"}));
        std::vector<std::pair<int, Received>> read;
        for (const QJsonValue item : history["data"].toArray().at(0).toArray()) {
            const auto field = [&](const char* name) { return item[name]["data"]; };
            read.push_back({field("id").toInt(),
                            {field("summary").toString().toStdString(), field("body").toString().toStdString(),
                             field("appname").toString().toStdString(), field("timeout").toInteger()}});
        }
        std::ranges::sort(read, {}, &std::pair<int, Received>::first);
        std::vector<Received> received;
        for (auto& [id, notification] : read) received.push_back(std::move(notification));
        return received;
    }

    int Count() {
        int total = 0;
        for (const char* which : {"displayed", "history"}) total += Control({"count", which}).trimmed().toInt();
        return total;
    }

    QByteArray Control(const QStringList& arguments) {
        QProcess control;
        control.setProcessEnvironment(Environment());
        control.start("dunstctl", arguments);
        control.waitForFinished(5000);
        return control.readAllStandardOutput();
    }

private:
    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        return environment;
    }

    testing::TempDir dir_;
    QProcess bus_;
    QProcess dunst_;
    QString address_;
    std::unique_ptr<QDBusConnection> connection_;
};

class DesktopNotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (qgetenv("DISPLAY").isEmpty()) GTEST_SKIP() << "dunst needs a display";
        if (!service.Start()) GTEST_SKIP() << "no dbus-daemon or dunst here";
        notifier = std::make_unique<DesktopNotifier>(service.Bus(), QIcon(":/icons/kairos-48.png"));
    }

    NotificationService service;
    std::unique_ptr<DesktopNotifier> notifier;
};

TEST_F(DesktopNotifierTest, EachNoticeArrivesWholeAndAMessageStaysUntilDismissed) {
    Alarm meeting;
    meeting.Message = "第三会議室でプロジェクトの定例会議 <A&B>";
    meeting.Snooze = SnoozeInterval::FiveMinutes;
    const Moment at = *TryEncodeDateTime(2026, 12, 7, 7, 30, 0, 0);
    notifier->Show(AlarmRangNotice(meeting, at), [] {});
    notifier->Show(AlarmRangNotice(Alarm{}, at), {});
    ASSERT_TRUE(Within(5000, [&] { return service.Count() == 2; }));

    const std::vector<Received> received = service.History();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].summary, "アラーム 7:30");
    EXPECT_EQ(received[0].body, "第三会議室でプロジェクトの定例会議 &lt;A&amp;B&gt;") << "escaped, so shown as written";
    EXPECT_EQ(received[0].appName, "Kairos");
    EXPECT_EQ(received[0].timeoutUs, 0);
    EXPECT_EQ(received[1].body, "");
    EXPECT_GT(received[1].timeoutUs, 0) << "a bare alarm times out";
}

TEST_F(DesktopNotifierTest, TheStopActionPickedInTheServiceRunsOnce) {
    Alarm wakeUp;
    wakeUp.Snooze = SnoozeInterval::TenMinutes;
    int picked = 0;
    notifier->Show(AlarmRangNotice(wakeUp, 0), [&picked] { ++picked; });
    ASSERT_TRUE(Within(5000, [&] { return service.Count() == 1; }));
    service.Control({"context"});
    EXPECT_TRUE(Within(5000, [&] { return picked > 0; }));
    service.Control({"context"});
    QApplication::processEvents();
    EXPECT_EQ(picked, 1);
}

TEST_F(DesktopNotifierTest, ATwoHourSuspendOverThreeAlarmsBringsOneMissedNotice) {
    SetCurrentLocaleFormatSettings(testing::JapaneseExampleLocale());
    testing::TempDir dir;
    const std::string settings = dir.Write("kairos.ini", "");
    dir.Write("Alarm.ini",
              "[Alarm1]\r\nAlarmKind=akAtWeeks\r\nTime=7:30:00\r\nWeeks=wMon\r\nMessage=起床\r\n"
              "[Alarm2]\r\nAlarmKind=akAtDate\r\nDate=2026/12/07\r\nTime=7:45:00\r\nRemoveOnExec=1\r\n"
              "[Alarm3]\r\nAlarmKind=akAtWeeks\r\nTime=8:15:00\r\nWeeks=wMon\r\nMessage=散歩\r\n");
    testing::FakeClock clock;
    clock.now = testing::ExampleDay(7, 27, 0, 0);
    testing::RecordingMedia media;
    DeadlineTimers timers(std::make_unique<testing::SimulatedTimers>());
    ClockWindow window({clock, timers, [settings] { return OpenIniFile(settings); }, media, dir.File("Alarm.ini"),
                        {}, TickScheduling::Planned, notifier.get()});
    window.Ticks->Stop();
    window.Tick();
    clock.now += 2.0 / 24;
    window.Tick();

    ASSERT_TRUE(Within(5000, [&] { return service.Count() == 1; }));
    const std::vector<Received> received = service.History();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].summary, "見逃したアラーム");
    EXPECT_EQ(received[0].body, "7:30 起床\n7:45 無題\n8:15 散歩\n一度だけのアラームは削除せずに残してあります。");
    EXPECT_TRUE(media.events.empty());
    SetCurrentLocaleFormatSettings(LocaleFormatSettings{});
}

// logind's word on sleep, from a stand-in that owns its name on the test's bus.
TEST_F(DesktopNotifierTest, OnlyTheWakeUpFromSleepIsPassedOn) {
    QDBusConnection logind = QDBusConnection::connectToBus(service.Address(), "kairos-test-logind");
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    int wakeUps = 0;
    const SleepWatcher watcher(service.Bus(), [&wakeUps] { ++wakeUps; });
    const auto send = [&logind](bool sleeping) {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                         "PrepareForSleep");
        signal << sleeping;
        logind.send(signal);
    };
    // The watcher's match reaches the bus in its own time: until then the
    // bus passes nothing on.
    for (int tries = 0; tries < 25 && wakeUps == 0; ++tries) {
        send(false);
        Within(200, [&] { return wakeUps > 0; });
    }
    ASSERT_GT(wakeUps, 0);
    // Those sent before it that are still on their way.
    Within(300, [] { return false; });
    wakeUps = 0;
    send(true);
    send(false);
    ASSERT_TRUE(Within(5000, [&] { return wakeUps > 0; }));
    QApplication::processEvents();
    EXPECT_EQ(wakeUps, 1) << "going to sleep is no wake-up";
    QDBusConnection::disconnectFromBus("kairos-test-logind");
}

}  // namespace
}  // namespace kairos
