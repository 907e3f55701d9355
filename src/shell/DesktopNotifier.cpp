#include "shell/DesktopNotifier.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QIcon>
#include <QImage>
#include <QStringList>

namespace {

constexpr const char* Service = "org.freedesktop.Notifications";
constexpr const char* Path = "/org/freedesktop/Notifications";
constexpr const char* Interface = "org.freedesktop.Notifications";
constexpr const char* StopSeriesKey = "stop-series";
constexpr int IconSize = 48;

// The pixels of the "image-data" hint: width, height, row stride, alpha,
// bits per sample, channels, bytes.
struct NoticeImage {
    int width = 0;
    int height = 0;
    int rowStride = 0;
    bool alpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

}  // namespace

Q_DECLARE_METATYPE(NoticeImage)

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const NoticeImage& image) {
    argument.beginStructure();
    argument << image.width << image.height << image.rowStride << image.alpha << image.bitsPerSample
             << image.channels << image.data;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, NoticeImage& image) {
    argument.beginStructure();
    argument >> image.width >> image.height >> image.rowStride >> image.alpha >> image.bitsPerSample >>
        image.channels >> image.data;
    argument.endStructure();
    return argument;
}

QVariant ImageHint(const QIcon& icon) {
    const QImage pixels = icon.pixmap(IconSize, IconSize).toImage().convertToFormat(QImage::Format_RGBA8888);
    if (pixels.isNull()) return {};
    NoticeImage image;
    image.width = pixels.width();
    image.height = pixels.height();
    image.rowStride = static_cast<int>(pixels.bytesPerLine());
    image.data = QByteArray(reinterpret_cast<const char*>(pixels.constBits()), pixels.sizeInBytes());
    return QVariant::fromValue(image);
}

}  // namespace

namespace kairos {

DesktopNotifier::DesktopNotifier(QDBusConnection bus, const QIcon& icon, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<NoticeImage>();
    image_ = ImageHint(icon);
    if (!bus_.isConnected()) return;
    bus_.connect(Service, Path, Interface, "ActionInvoked", this, SLOT(ActionInvoked(uint, QString)));
    bus_.connect(Service, Path, Interface, "NotificationClosed", this, SLOT(NotificationClosed(uint, uint)));
    AskCapabilities();
}

void DesktopNotifier::AskCapabilities() {
    const QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, "GetCapabilities");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QStringList> reply = *done;
        if (reply.isError()) return;  // no service yet: one may start later, and the guesses stand
        actions_ = reply.value().contains(QStringLiteral("actions"));
    });
}

void DesktopNotifier::Show(const Notice& notice, std::function<void()> onAction) {
    if (!bus_.isConnected()) return;
    // Escaped whatever the service claims: some read markup in every body,
    // even those that do not offer it, and would drop "<A&B>" as bad markup.
    const QString body = QString::fromStdString(notice.body).toHtmlEscaped();
    QStringList actions;
    const bool offersAction = notice.action == NoticeAction::StopSeries && actions_ && onAction;
    if (offersAction)
        actions << StopSeriesKey << QString::fromUtf8(StopSeriesCaption.data(), StopSeriesCaption.size());
    const uchar urgency = notice.urgency == NoticeUrgency::Critical ? 2 : 1;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("kairos"));
    if (image_.isValid()) hints.insert(QStringLiteral("image-data"), image_);
    // A critical notice never expires; the others as the service likes.
    const int timeout = notice.urgency == NoticeUrgency::Critical ? 0 : -1;

    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, "Notify");
    call << QStringLiteral("Kairos") << 0u << QStringLiteral("kairos") << QString::fromStdString(notice.summary)
         << body << actions << hints << timeout;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, offersAction, onAction = std::move(onAction)](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<uint> reply = *done;
                if (!reply.isError() && offersAction) pending_[reply.value()] = onAction;
            });
}

void DesktopNotifier::ActionInvoked(uint id, const QString& key) {
    const auto found = pending_.find(id);
    if (found == pending_.end() || key != QLatin1String(StopSeriesKey)) return;
    const std::function<void()> action = std::move(found->second);
    pending_.erase(found);
    action();
}

void DesktopNotifier::NotificationClosed(uint id, uint) { pending_.erase(id); }

}  // namespace kairos
