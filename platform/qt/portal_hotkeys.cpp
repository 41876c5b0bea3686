#include "platform/qt/portal_hotkeys.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include "platform/linux/portal_trigger.h"
#include "platform/qt/portal_shortcut.h"

namespace zn {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// A session or request handle: an object path, though some portals answer
// the session handle as a plain string.
QString handleText(const QVariant& value) {
    if (value.canConvert<QDBusObjectPath>()) return value.value<QDBusObjectPath>().path();
    return value.toString();
}

QString shortcutIdOf(int id) {
    return QString::number(id);
}

}  // namespace

PortalHotkeys::PortalHotkeys(QDBusConnection bus, std::map<int, std::string> descriptions,
                             QObject* parent)
    : QObject(parent), bus_(std::move(bus)), descriptions_(std::move(descriptions)) {
    registerPortalShortcutTypes();
    bindSoon_.setSingleShot(true);
    bindSoon_.setInterval(0);
    connect(&bindSoon_, &QTimer::timeout, this, &PortalHotkeys::bindAll);
    if (!bus_.isConnected()) return;
    bus_.connect(kPortalService, kPortalPath, kShortcutsInterface, QStringLiteral("Activated"),
                 this, SLOT(onActivated(QDBusMessage)));
    askForInterface();
}

PortalHotkeys::~PortalHotkeys() {
    stopWatchingRequest();
    closeSession();
}

// Asked without waiting: starting the portal may take a while, and the
// program's window must not wait for it.
void PortalHotkeys::askForInterface() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kShortcutsInterface << QStringLiteral("version");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* call) {
                call->deleteLater();
                const QDBusPendingReply<QDBusVariant> reply = *call;
                if (reply.isError() || reply.value().variant().toUInt() < 1) return;
                interfaceOffered_ = true;
                bindAll();
            });
}

bool PortalHotkeys::registerHotkey(int id, unsigned modifiers, unsigned keyCode) {
    const QString trigger = QString::fromStdString(portalTrigger(modifiers, keyCode));
    if (trigger.isEmpty()) return false;
    // As with grabs: one combination cannot serve two hotkeys.
    for (const auto& [otherId, otherTrigger] : triggers_) {
        if (otherId != id && otherTrigger == trigger) return false;
    }
    triggers_[id] = trigger;
    bindSoon_.start();
    return true;
}

void PortalHotkeys::unregisterHotkey(int id) {
    if (triggers_.erase(id) > 0) bindSoon_.start();
}

void PortalHotkeys::deliverTo(std::function<void(int id)> onHotkey) {
    onHotkey_ = std::move(onHotkey);
}

void PortalHotkeys::bindAll() {
    if (!interfaceOffered_) return;
    if (pending_ != Pending::None) {
        rebindWanted_ = true;
        return;
    }
    closeSession();
    if (triggers_.empty()) return;
    const QString token = nextToken();
    startRequest(QStringLiteral("CreateSession"),
                 {QVariantMap{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), nextToken()}}},
                 token, Pending::CreateSession);
}

void PortalHotkeys::bindShortcuts() {
    PortalShortcuts shortcuts;
    for (const auto& [id, trigger] : triggers_) {
        const auto description = descriptions_.find(id);
        shortcuts.append(
            {shortcutIdOf(id),
             {{QStringLiteral("description"), description != descriptions_.end()
                                                  ? QString::fromStdString(description->second)
                                                  : shortcutIdOf(id)},
              {QStringLiteral("preferred_trigger"), trigger}}});
    }
    const QString token = nextToken();
    startRequest(QStringLiteral("BindShortcuts"),
                 {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(shortcuts),
                  QString(), QVariantMap{{QStringLiteral("handle_token"), token}}},
                 token, Pending::BindShortcuts);
}

void PortalHotkeys::closeSession() {
    if (session_.isEmpty()) return;
    bus_.send(QDBusMessage::createMethodCall(kPortalService, session_, kSessionInterface,
                                             QStringLiteral("Close")));
    session_.clear();
}

QString PortalHotkeys::nextToken() {
    return QStringLiteral("zintrel%1").arg(++tokenCount_);
}

// Where the portal puts the Request object for this token: known before the
// call, so its Response cannot come before we listen.
QString PortalHotkeys::requestPath(const QString& token) const {
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;
}

void PortalHotkeys::startRequest(const QString& method, const QList<QVariant>& arguments,
                                 const QString& token, Pending kind) {
    pending_ = kind;
    watchRequest(requestPath(token));
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kShortcutsInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, kind](QDBusPendingCallWatcher* answer) {
                answer->deleteLater();
                if (pending_ != kind) return;
                const QDBusPendingReply<QDBusObjectPath> reply = *answer;
                if (reply.isError()) {
                    requestFinished(kind, 2, {});
                } else if (reply.value().path() != watchedRequest_) {
                    // A portal older than the handle_token convention.
                    watchRequest(reply.value().path());
                }
            });
}

void PortalHotkeys::watchRequest(const QString& path) {
    stopWatchingRequest();
    watchedRequest_ = path;
    bus_.connect(kPortalService, watchedRequest_, kRequestInterface, QStringLiteral("Response"),
                 this, SLOT(onResponse(QDBusMessage)));
}

void PortalHotkeys::stopWatchingRequest() {
    if (watchedRequest_.isEmpty()) return;
    bus_.disconnect(kPortalService, watchedRequest_, kRequestInterface, QStringLiteral("Response"),
                    this, SLOT(onResponse(QDBusMessage)));
    watchedRequest_.clear();
}

void PortalHotkeys::onResponse(const QDBusMessage& signal) {
    if (signal.path() != watchedRequest_ || pending_ == Pending::None) return;
    const QList<QVariant> arguments = signal.arguments();
    const unsigned response = arguments.value(0, 2u).toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments.value(1));
    requestFinished(pending_, response, results);
}

// response 0 is success; 1 the user cancelled, 2 anything else.
void PortalHotkeys::requestFinished(Pending kind, unsigned response, const QVariantMap& results) {
    stopWatchingRequest();
    pending_ = Pending::None;
    if (kind == Pending::CreateSession && response == 0)
        session_ = handleText(results.value(QStringLiteral("session_handle")));
    if (rebindWanted_) {
        rebindWanted_ = false;
        bindAll();
        return;
    }
    if (response != 0) {
        closeSession();
        return;
    }
    if (kind == Pending::CreateSession && !session_.isEmpty()) bindShortcuts();
}

void PortalHotkeys::onActivated(const QDBusMessage& signal) {
    const QList<QVariant> arguments = signal.arguments();
    if (session_.isEmpty() || handleText(arguments.value(0)) != session_) return;
    const QString shortcutId = arguments.value(1).toString();
    for (const auto& [id, trigger] : triggers_) {
        if (shortcutIdOf(id) != shortcutId) continue;
        // Copied out: the handler may unregister, or open a dialog whose event
        // loop lands here again.
        const int pressed = id;
        if (onHotkey_) onHotkey_(pressed);
        return;
    }
}

}  // namespace zn
