// The real program as a native Wayland client, on a private weston without a
// screen and a private session bus. There a stand-in StatusNotifierWatcher
// plays the panel: the icon registers with it, carries the clock's tip, and
// its activation hides and shows the clock, seen in the compositor's own
// screenshots. Nothing X11-only may run: Qt says so on stderr when it does.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "support/QtWithin.h"
#include "support/TempDir.h"

namespace kairos {
namespace {

constexpr auto kSocket = "wl-kairos";
constexpr auto kBusName = "kairos-wayland-test";
constexpr auto kTip = "試験の時計";
// clFuchsia: nothing else on weston's desktop has it.
constexpr QRgb kClockBack = 0xFFFF00FF;
// Well below the frame's 174×58 less the text, well above stray pixels.
constexpr int kShownPixels = 1000;
constexpr int kPatienceMs = 20000;

using testing::Within;

// The panel's side of the StatusNotifierItem protocol: a host is there, and
// whoever registers is kept.
class StandInWatcher final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ HostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ Items)

public:
    struct Item {
        QString service;
        QString path;
    };

    bool HostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList Items() const {
        QStringList items;
        for (const Item& item : items_) items << item.service + item.path;
        return items;
    }
    const QList<Item>& Registered() const { return items_; }

public slots:
    // An item names its bus name, or only its path on the caller's connection.
    void RegisterStatusNotifierItem(const QString& item, const QDBusMessage& call) {
        if (item.startsWith('/')) items_.push_back({call.service(), item});
        else items_.push_back({item, QStringLiteral("/StatusNotifierItem")});
    }

private:
    QList<Item> items_;
};

std::optional<QString> MissingTool() {
    for (const char* tool : {"weston", "weston-screenshooter", "dbus-daemon"})
        if (QStandardPaths::findExecutable(tool).isEmpty()) return QString(tool) + " is missing";
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
    if (!QFile::exists(plugin)) return "Qt's wayland plugin is missing (qt6-wayland)";
    return std::nullopt;
}

// The tooltip's title, out of (s icon, a(iiay) pixmaps, s title, s text).
QString ToolTipTitle(const QDBusArgument& tip) {
    QString icon, title, text;
    tip.beginStructure();
    tip >> icon;
    tip.beginArray();
    while (!tip.atEnd()) {
        int width = 0, height = 0;
        QByteArray bytes;
        tip.beginStructure();
        tip >> width >> height >> bytes;
        tip.endStructure();
    }
    tip.endArray();
    tip >> title >> text;
    tip.endStructure();
    return title;
}

enum class Sight { Shown, Hidden };

class WaylandClock : public ::testing::Test {
protected:
    void SetUp() override {
        if (const auto missing = MissingTool()) GTEST_SKIP() << missing->toStdString() << ": scripts/install-deps.sh";
        StartCompositor();
        ASSERT_TRUE(Within(kPatienceMs, [this] { return QFile::exists(RuntimeDir() + "/" + kSocket); }))
            << "weston did not start: " << weston_.readAllStandardError().toStdString();
        StartBus();
    }

    void TearDown() override {
        for (QProcess* process : {&clock_, &weston_, &bus_daemon_}) {
            process->terminate();
            if (!process->waitForFinished(3000)) process->kill();
        }
        if (bus_) QDBusConnection::disconnectFromBus(kBusName);
    }

    QString RuntimeDir() const { return QString::fromStdString(runtime_.Path().string()); }

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : environment.keys())
            if (name.startsWith("XDG_") || name == "DISPLAY" || name.startsWith("WAYLAND_") ||
                name.startsWith("QT_") || name == "DBUS_SESSION_BUS_ADDRESS")
                environment.remove(name);
        environment.insert("XDG_RUNTIME_DIR", RuntimeDir());
        environment.insert("WAYLAND_DISPLAY", kSocket);
        environment.insert("HOME", QString::fromStdString(home_.Path().string()));
        environment.insert("XDG_CONFIG_HOME", QString::fromStdString(home_.File("config")));
        return environment;
    }

    void StartCompositor() {
        weston_.setProcessEnvironment(Environment());
        weston_.start("weston", {"--backend=headless-backend.so", "--use-pixman", QString("--socket=") + kSocket,
                                 "--width=1024", "--height=768", "--idle-time=0", "--debug"});
    }

    void StartWatcher() {
        ASSERT_TRUE(bus_->registerService("org.kde.StatusNotifierWatcher"));
        ASSERT_TRUE(bus_->registerObject("/StatusNotifierWatcher", &watcher_,
                                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    }

    void StartBus() {
        bus_daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus_daemon_.waitForReadyRead(5000)) << "dbus-daemon did not start";
        address_ = QString::fromUtf8(bus_daemon_.readLine()).trimmed();
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address_, kBusName));
        ASSERT_TRUE(bus_->isConnected());
    }

    // A copy of its own keeps its settings beside it.
    void StartClock() {
        const QString program = QString::fromStdString(home_.File("kairos"));
        ASSERT_TRUE(QFile::copy(KAIROS_EXE, program));
        home_.Write("kairos.ini", std::string("[General]\nBackColor=clFuchsia\nToolTipFormat=") + kTip + "\n");
        QProcessEnvironment environment = Environment();
        environment.insert("QT_QPA_PLATFORM", "wayland");
        environment.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        clock_.setProcessEnvironment(environment);
        clock_.start(program);
        ASSERT_TRUE(clock_.waitForStarted());
    }

    // Pixels of the clock's background in the compositor's screenshot.
    int ClockPixels() {
        QProcess shooter;
        shooter.setProcessEnvironment(Environment());
        shooter.setWorkingDirectory(QString::fromStdString(shots_.Path().string()));
        shooter.start("weston-screenshooter");
        shooter.waitForFinished(5000);
        QDir shots(shooter.workingDirectory(), "*.png");
        int count = 0;
        for (const QString& name : shots.entryList()) {
            const QImage image = QImage(shots.filePath(name)).convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == kClockBack;
            shots.remove(name);
        }
        return count;
    }

    bool AwaitClock(Sight sight) {
        return Within(kPatienceMs, [&] {
            return sight == Sight::Shown ? ClockPixels() >= kShownPixels : ClockPixels() == 0;
        });
    }

    QDBusMessage CallItem(const StandInWatcher::Item& item, const QString& interface, const QString& method,
                          const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(item.service, item.path, interface, method);
        call.setArguments(arguments);
        return bus_->call(call, QDBus::BlockWithGui, 5000);
    }

    QVariant ItemProperty(const StandInWatcher::Item& item, const QString& name) {
        const QDBusMessage reply = CallItem(item, "org.freedesktop.DBus.Properties", "Get",
                                            {"org.kde.StatusNotifierItem", name});
        return reply.arguments().isEmpty() ? QVariant() : reply.arguments().front().value<QDBusVariant>().variant();
    }

    void Activate(const StandInWatcher::Item& item) {
        const QDBusMessage reply = CallItem(item, "org.kde.StatusNotifierItem", "Activate", {0, 0});
        EXPECT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    // Everything the program wrote to stderr so far.
    const std::string& Complaints() {
        complaints_ += clock_.readAllStandardError().toStdString();
        return complaints_;
    }

    testing::TempDir runtime_;  // mkdtemp: private to the user, as a runtime folder must be
    testing::TempDir home_;
    testing::TempDir shots_;
    QProcess weston_;
    QProcess bus_daemon_;
    QProcess clock_;
    QString address_;
    std::string complaints_;
    std::unique_ptr<QDBusConnection> bus_;
    StandInWatcher watcher_;
};

TEST_F(WaylandClock, IconRegistersWithTheTipAndItsActivationHidesAndShowsTheClock) {
    StartWatcher();
    StartClock();
    ASSERT_TRUE(AwaitClock(Sight::Shown)) << "no clock on the compositor's screen; stderr: " << Complaints();
    ASSERT_TRUE(Within(kPatienceMs, [&] { return !watcher_.Registered().empty(); })) << "no item registered";
    const StandInWatcher::Item item = watcher_.Registered().front();
    // The first tip is the title, until the first tick renders the template.
    std::string tip;
    EXPECT_TRUE(Within(kPatienceMs, [&] {
        tip = ToolTipTitle(ItemProperty(item, "ToolTip").value<QDBusArgument>()).toStdString();
        return tip == kTip;
    })) << "the tip reads " << tip;
    EXPECT_EQ(ItemProperty(item, "Title").toString().toStdString(), "Kairos");

    Activate(item);
    EXPECT_TRUE(AwaitClock(Sight::Hidden)) << "the first activation left the clock shown";
    Activate(item);
    EXPECT_TRUE(AwaitClock(Sight::Shown)) << "the second activation left the clock hidden";
    EXPECT_EQ(clock_.state(), QProcess::Running);
    EXPECT_EQ(Complaints(), "");
}

// No host: no icon, and no fallback to an X11 notification area.
TEST_F(WaylandClock, WithoutAHostTheClockShowsAndStderrStaysQuiet) {
    StartClock();
    ASSERT_TRUE(AwaitClock(Sight::Shown)) << "no clock on the compositor's screen; stderr: " << Complaints();
    // The icon's last attempt is due a third of a second after the start.
    EXPECT_FALSE(Within(1000, [&] { return !Complaints().empty(); })) << Complaints();
    EXPECT_EQ(clock_.state(), QProcess::Running);
}

}  // namespace
}  // namespace kairos

#include "WaylandProcessTest.moc"
