#include "platform/qt/qt_tray_icon.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

#include "platform/qt/qt_message_boxes.h"

namespace zn {
namespace {

// What Qt asks before it puts the icon on the session bus instead of the
// XEmbed tray: a watcher that has a host registered.
bool statusNotifierHostRegistered() {
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(watcher))
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(
        watcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get.setArguments({watcher, QStringLiteral("IsStatusNotifierHostRegistered")});
    constexpr int kWatcherTimeoutMs = 2000;
    const QDBusMessage reply = bus.call(get, QDBus::Block, kWatcherTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().first().value<QDBusVariant>().variant().toBool();
}

TrayMouseMessage mouseMessageOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifierHost) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            // A StatusNotifier host tells of no click, only that the user
            // activated the icon: what a double click is for here.
            return statusNotifierHost ? TrayMouseMessage::LeftButtonDoubleClick
                                      : TrayMouseMessage::LeftButtonUp;
        case QSystemTrayIcon::DoubleClick:
            return TrayMouseMessage::LeftButtonDoubleClick;
        case QSystemTrayIcon::Context:
            return TrayMouseMessage::RightButtonUp;
        default:
            return TrayMouseMessage::Other;
    }
}

}  // namespace

QtTrayIcon::QtTrayIcon(const QIcon& icon)
    : statusNotifierHost_(statusNotifierHostRegistered()), icon_(icon) {
    QObject::connect(&icon_, &QSystemTrayIcon::activated, &icon_,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (handler_) handler_(mouseMessageOf(reason, statusNotifierHost_));
                     });
}

void QtTrayIcon::offerMenu(QMenu& menu) {
    // The XEmbed tray would pop a menu it holds up by itself, a second time.
    if (statusNotifierHost_) icon_.setContextMenu(&menu);
}

bool QtTrayIcon::addIcon(const std::string& tip) {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
    icon_.setToolTip(toQt(tip));
    icon_.show();
    return true;
}

void QtTrayIcon::modifyIcon(const std::string& tip) {
    icon_.setToolTip(toQt(tip));
}

ScreenPoint QtTrayIcon::cursorPosition() const {
    const QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

}  // namespace zn
