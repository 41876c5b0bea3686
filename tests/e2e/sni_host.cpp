// A StatusNotifier watcher and host of the tests' own, on whatever session bus
// DBUS_SESSION_BUS_ADDRESS names, and the host's side of talking to an item:
//
//   serve                       be the watcher (and a host registered with it);
//                               prints "watching", then "item SERVICE PATH" for
//                               every item that registers
//   show SERVICE PATH           prints the item's icon, tool tip and menu path
//   menu SERVICE MENU-PATH      prints the labels of the item's exported menu
//   click SERVICE MENU-PATH LABEL  clicks the menu entry so labelled, as a host does
//   activate SERVICE PATH       what a host sends on a click on the icon
//   context-menu SERVICE PATH   what a host without menus of its own sends on a
//                               right click
//
// Exits 0 on success, 1 when the item answers something else, 2 on a usage or
// bus error. Built on QDBusVirtualObject so that no code generator is needed.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
constexpr int kCallTimeoutMs = 5000;

void say(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The watcher: items register with it, and since this process is also the
// host, a host is always registered.
class Watcher : public QDBusVirtualObject {
public:
    QString introspect(const QString& path) const override {
        if (path != kWatcherPath) return {};
        return QStringLiteral(
            "<interface name=\"org.kde.StatusNotifierWatcher\">"
            "<method name=\"RegisterStatusNotifierItem\"><arg type=\"s\" "
            "direction=\"in\"/></method>"
            "<method name=\"RegisterStatusNotifierHost\"><arg type=\"s\" "
            "direction=\"in\"/></method>"
            "<property name=\"RegisteredStatusNotifierItems\" type=\"as\" access=\"read\"/>"
            "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>"
            "<property name=\"ProtocolVersion\" type=\"i\" access=\"read\"/>"
            "<signal name=\"StatusNotifierItemRegistered\"><arg type=\"s\"/></signal>"
            "<signal name=\"StatusNotifierItemUnregistered\"><arg type=\"s\"/></signal>"
            "<signal name=\"StatusNotifierHostRegistered\"/>"
            "</interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QString member = message.member();
        if (message.interface() == kPropertiesInterface && member == QLatin1String("Get")) {
            const QString name = message.arguments().value(1).toString();
            const auto value = property(name);
            if (!value) return false;
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(*value))));
            return true;
        }
        if (message.interface() == kPropertiesInterface && member == QLatin1String("GetAll")) {
            QVariantMap all;
            for (const char* name : {"RegisteredStatusNotifierItems",
                                     "IsStatusNotifierHostRegistered", "ProtocolVersion"})
                all.insert(QLatin1String(name), *property(QLatin1String(name)));
            connection.send(message.createReply(QVariant::fromValue(all)));
            return true;
        }
        if (member == QLatin1String("RegisterStatusNotifierItem")) {
            // The item names either its bus name (at the usual path) or its path
            // on the connection that calls.
            const QString named = message.arguments().value(0).toString();
            const bool isPath = named.startsWith(QLatin1Char('/'));
            const QString service = isPath ? message.service() : named;
            const QString path = isPath ? named : QStringLiteral("/StatusNotifierItem");
            items_ << service + path;
            connection.send(message.createReply());
            say(QStringLiteral("item %1 %2").arg(service, path));
            return true;
        }
        if (member == QLatin1String("RegisterStatusNotifierHost")) {
            connection.send(message.createReply());
            return true;
        }
        return false;
    }

private:
    std::optional<QVariant> property(const QString& name) const {
        if (name == QLatin1String("RegisteredStatusNotifierItems")) return QVariant(items_);
        if (name == QLatin1String("IsStatusNotifierHostRegistered")) return QVariant(true);
        if (name == QLatin1String("ProtocolVersion")) return QVariant(0);
        return std::nullopt;
    }

    QStringList items_;
};

int serve() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    static Watcher watcher;
    if (!bus.isConnected() || !bus.registerVirtualObject(kWatcherPath, &watcher) ||
        !bus.registerService(kWatcherService) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierHost-%1")
                                 .arg(QCoreApplication::applicationPid())))
        return 2;
    say(QStringLiteral("watching"));
    return QCoreApplication::exec();
}

// A call that must succeed; its reply, or nullopt after saying why not.
std::optional<QDBusMessage> call(const QString& service, const QString& path,
                                 const QString& interface, const QString& method,
                                 const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(message, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "%s: %s\n", method.toUtf8().constData(),
                     reply.errorMessage().toUtf8().constData());
        return std::nullopt;
    }
    return reply;
}

std::optional<QVariant> itemProperty(const QString& service, const QString& path,
                                     const char* name) {
    const auto reply = call(service, path, kPropertiesInterface, QStringLiteral("Get"),
                            {kItemInterface, QLatin1String(name)});
    if (!reply || reply->arguments().isEmpty()) return std::nullopt;
    return reply->arguments().first().value<QDBusVariant>().variant();
}

struct Pixmaps {
    int count = 0;
    bool anyPixelShows = false;  // some pixel is not wholly transparent
};

// An array of (width, height, ARGB32 bytes in network order).
Pixmaps readPixmaps(const QDBusArgument& argument) {
    Pixmaps pixmaps;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        if (width <= 0 || height <= 0 || bytes.size() != width * height * 4) continue;
        ++pixmaps.count;
        for (qsizetype alpha = 0; alpha < bytes.size(); alpha += 4)
            if (bytes[alpha] != 0) pixmaps.anyPixelShows = true;
    }
    argument.endArray();
    return pixmaps;
}

int show(const QString& service, const QString& path) {
    const auto pixmapValue = itemProperty(service, path, "IconPixmap");
    const auto iconName = itemProperty(service, path, "IconName");
    const auto toolTip = itemProperty(service, path, "ToolTip");
    const auto menu = itemProperty(service, path, "Menu");
    if (!pixmapValue || !iconName || !toolTip || !menu) return 2;
    const Pixmaps pixmaps = readPixmaps(pixmapValue->value<QDBusArgument>());
    say(QStringLiteral("icon-pixmaps %1 %2")
            .arg(pixmaps.count)
            .arg(pixmaps.anyPixelShows ? QStringLiteral("visible") : QStringLiteral("blank")));
    say(QStringLiteral("icon-name %1").arg(iconName->toString()));
    // (icon name, icon pixmaps, title, text)
    const QDBusArgument tip = toolTip->value<QDBusArgument>();
    QString tipIcon;
    QString title;
    QString text;
    tip.beginStructure();
    tip >> tipIcon;
    readPixmaps(tip);
    tip >> title >> text;
    tip.endStructure();
    say(QStringLiteral("tooltip %1").arg(title));
    say(QStringLiteral("menu %1").arg(menu->value<QDBusObjectPath>().path()));
    return 0;
}

struct MenuEntry {
    int id = 0;
    QString label;
};

// A layout node (id, properties, children as variants), depth first.
void readLayout(const QDBusArgument& node, QList<MenuEntry>& entries, bool isRoot) {
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    if (!isRoot && properties.value(QStringLiteral("visible"), true).toBool() &&
        properties.value(QStringLiteral("type")).toString() != QLatin1String("separator"))
        entries << MenuEntry{id, properties.value(QStringLiteral("label")).toString()};
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        readLayout(child.variant().value<QDBusArgument>(), entries, false);
    }
    node.endArray();
    node.endStructure();
}

std::optional<QList<MenuEntry>> menuEntries(const QString& service, const QString& menuPath) {
    // A host says the menu is about to show before it asks for the entries.
    if (!call(service, menuPath, kMenuInterface, QStringLiteral("AboutToShow"), {0}))
        return std::nullopt;
    const auto layout = call(service, menuPath, kMenuInterface, QStringLiteral("GetLayout"),
                             {0, -1, QStringList()});
    if (!layout || layout->arguments().size() < 2) return std::nullopt;
    QList<MenuEntry> entries;
    readLayout(layout->arguments().at(1).value<QDBusArgument>(), entries, true);
    return entries;
}

int listMenu(const QString& service, const QString& menuPath) {
    const auto entries = menuEntries(service, menuPath);
    if (!entries) return 2;
    for (const auto& entry : *entries) say(entry.label);
    return 0;
}

int click(const QString& service, const QString& menuPath, const QString& label) {
    const auto entries = menuEntries(service, menuPath);
    if (!entries) return 2;
    for (const auto& entry : *entries) {
        if (entry.label != label) continue;
        const QVariant data = QVariant::fromValue(QDBusVariant(0));
        return call(service, menuPath, kMenuInterface, QStringLiteral("Event"),
                    {entry.id, QStringLiteral("clicked"), data, 0u})
                   ? 0
                   : 2;
    }
    std::fprintf(stderr, "no menu entry labelled %s\n", label.toUtf8().constData());
    return 1;
}

int send(const QString& service, const QString& path, const char* method) {
    return call(service, path, kItemInterface, QLatin1String(method), {0, 0}) ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QString command = arguments.value(0);
    if (command == QLatin1String("serve") && arguments.size() == 1) return serve();
    if (arguments.size() == 3 && command == QLatin1String("show"))
        return show(arguments[1], arguments[2]);
    if (arguments.size() == 3 && command == QLatin1String("menu"))
        return listMenu(arguments[1], arguments[2]);
    if (arguments.size() == 4 && command == QLatin1String("click"))
        return click(arguments[1], arguments[2], arguments[3]);
    if (arguments.size() == 3 && command == QLatin1String("activate"))
        return send(arguments[1], arguments[2], "Activate");
    if (arguments.size() == 3 && command == QLatin1String("context-menu"))
        return send(arguments[1], arguments[2], "ContextMenu");
    std::fprintf(stderr,
                 "usage: %s serve | show|menu|activate|context-menu SERVICE PATH | "
                 "click SERVICE MENU-PATH LABEL\n",
                 argv[0]);
    return 2;
}
