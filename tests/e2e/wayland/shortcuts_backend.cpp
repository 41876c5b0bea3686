// The desktop's side of the GlobalShortcuts portal, for the Wayland tests: an
// org.freedesktop.impl.portal.GlobalShortcuts backend that xdg-desktop-portal
// talks to. It accepts every session and binding, writes each to its log, and
// fires a shortcut when the test asks, as a compositor would on a key press.
//
//   shortcuts_backend LOG
//   dbus-send --session --dest=org.freedesktop.impl.portal.desktop.zintreltest
//       /org/zintrel/test org.zintrel.test.Backend.Activate string:ID [string:SESSION]
//
// fires it in the session the program made last, or in the one named (a closed
// one too: what a desktop that has not caught up with a Close might send).
//
// Log lines: "session PATH", "bind PATH ID TRIGGER DESCRIPTION", "closed PATH",
// "activated PATH ID".
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QDateTime>
#include <QFile>
#include <QTextStream>
#include <cstdio>

#include "platform/qt/portal_shortcut.h"

namespace {

const QString kBackendName = QStringLiteral("org.freedesktop.impl.portal.desktop.zintreltest");
const QString kDesktopPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kImplInterface = QStringLiteral("org.freedesktop.impl.portal.GlobalShortcuts");
const QString kSessionInterface = QStringLiteral("org.freedesktop.impl.portal.Session");

class Backend : public QDBusVirtualObject {
public:
    explicit Backend(const QString& logPath) : log_(logPath) {
        log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
    }

    QString introspect(const QString& path) const override {
        if (path == kDesktopPath)
            return QStringLiteral(
                "<interface name=\"org.freedesktop.impl.portal.GlobalShortcuts\">"
                "<method name=\"CreateSession\"><arg type=\"o\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"in\"/><arg type=\"s\" direction=\"in\"/>"
                "<arg type=\"a{sv}\" direction=\"in\"/><arg type=\"u\" direction=\"out\"/>"
                "<arg type=\"a{sv}\" direction=\"out\"/></method>"
                "<method name=\"BindShortcuts\"><arg type=\"o\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"in\"/><arg type=\"a(sa{sv})\" direction=\"in\"/>"
                "<arg type=\"s\" direction=\"in\"/><arg type=\"a{sv}\" direction=\"in\"/>"
                "<arg type=\"u\" direction=\"out\"/><arg type=\"a{sv}\" "
                "direction=\"out\"/></method>"
                "<method name=\"ListShortcuts\"><arg type=\"o\" direction=\"in\"/>"
                "<arg type=\"o\" direction=\"in\"/><arg type=\"u\" direction=\"out\"/>"
                "<arg type=\"a{sv}\" direction=\"out\"/></method>"
                "<signal name=\"Activated\"><arg type=\"o\"/><arg type=\"s\"/><arg type=\"t\"/>"
                "<arg type=\"a{sv}\"/></signal>"
                "<signal name=\"Deactivated\"><arg type=\"o\"/><arg type=\"s\"/><arg type=\"t\"/>"
                "<arg type=\"a{sv}\"/></signal>"
                "<signal name=\"ShortcutsChanged\"><arg type=\"o\"/><arg type=\"a(sa{sv})\"/>"
                "</signal><property name=\"version\" type=\"u\" access=\"read\"/></interface>");
        return {};
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QString member = message.member();
        const QList<QVariant> arguments = message.arguments();
        if (message.interface() == QLatin1String("org.freedesktop.DBus.Properties")) {
            if (member == QLatin1String("Get"))
                return reply(bus, message, {QVariant::fromValue(QDBusVariant(1u))});
            return reply(bus, message, {QVariantMap{{QStringLiteral("version"), 1u}}});
        }
        if (message.interface() == kSessionInterface && member == QLatin1String("Close")) {
            write(QStringLiteral("closed ") + message.path());
            if (message.path() == session_) session_.clear();
            return reply(bus, message, {});
        }
        if (member == QLatin1String("CreateSession")) {
            session_ = arguments.value(1).value<QDBusObjectPath>().path();
            write(QStringLiteral("session ") + session_);
            return reply(bus, message,
                         {0u, QVariantMap{{QStringLiteral("session_handle"), session_}}});
        }
        if (member == QLatin1String("BindShortcuts")) {
            const QString session = arguments.value(1).value<QDBusObjectPath>().path();
            zn::PortalShortcuts shortcuts;
            arguments.value(2).value<QDBusArgument>() >> shortcuts;
            zn::PortalShortcuts bound;
            for (const zn::PortalShortcut& shortcut : shortcuts) {
                const QString trigger =
                    shortcut.properties.value(QStringLiteral("preferred_trigger")).toString();
                write(
                    QStringLiteral("bind %1 %2 %3 %4")
                        .arg(session, shortcut.id, trigger,
                             shortcut.properties.value(QStringLiteral("description")).toString()));
                bound.append({shortcut.id,
                              {{QStringLiteral("description"),
                                shortcut.properties.value(QStringLiteral("description"))},
                               {QStringLiteral("trigger_description"), trigger}}});
            }
            return reply(
                bus, message,
                {0u, QVariantMap{{QStringLiteral("shortcuts"), QVariant::fromValue(bound)}}});
        }
        if (member == QLatin1String("ListShortcuts"))
            return reply(bus, message, {0u, QVariantMap{}});
        if (member == QLatin1String("Activate")) {
            const QString id = arguments.value(0).toString();
            const QString session = arguments.size() > 1 ? arguments.value(1).toString() : session_;
            if (session.isEmpty()) {
                bus.send(
                    message.createErrorReply(QDBusError::Failed, QStringLiteral("no session")));
                return true;
            }
            QDBusMessage activated = QDBusMessage::createSignal(kDesktopPath, kImplInterface,
                                                                QStringLiteral("Activated"));
            activated << QVariant::fromValue(QDBusObjectPath(session)) << id
                      << qulonglong(QDateTime::currentMSecsSinceEpoch()) << QVariantMap{};
            bus.send(activated);
            write(QStringLiteral("activated %1 %2").arg(session, id));
            return reply(bus, message, {});
        }
        return false;
    }

private:
    static bool reply(const QDBusConnection& bus, const QDBusMessage& message,
                      const QList<QVariant>& values) {
        QDBusMessage answer = message.createReply();
        answer.setArguments(values);
        bus.send(answer);
        return true;
    }

    void write(const QString& line) {
        QTextStream(&log_) << line << '\n';
        log_.flush();
    }

    QFile log_;
    QString session_;  // the one the program made last
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: shortcuts_backend LOG\n");
        return 2;
    }
    zn::registerPortalShortcutTypes();
    Backend backend(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The sessions live under the desktop path: one object answers for all.
    if (!bus.registerVirtualObject(kDesktopPath, &backend, QDBusConnection::SubPath) ||
        !bus.registerVirtualObject(QStringLiteral("/org/zintrel/test"), &backend) ||
        !bus.registerService(kBackendName)) {
        std::fprintf(stderr, "shortcuts_backend: cannot take %s\n", qPrintable(kBackendName));
        return 1;
    }
    return QCoreApplication::exec();
}
