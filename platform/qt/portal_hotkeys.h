// System-wide hotkeys on Wayland, through the desktop's GlobalShortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus).
//
// A Wayland client cannot grab keys; it asks the desktop instead. Each change
// of the registered hotkeys binds the whole set again in a new portal session,
// with the stored hotkeys as the preferred triggers: a session binds its
// shortcuts once, and the desktop may keep the user's own choice of keys by
// shortcut id across sessions. Changes made in one turn of the event loop (the
// two registrations at start-up, an unregister and register from the options
// dialog) become one bind. A portal that is missing, lacks the interface or
// refuses is silent, as a refused grab is; registerHotkey() can only refuse
// what could never be bound (a key without a trigger name, a combination
// registered twice).
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <string>

#include "platform/qt/desktop_hotkeys.h"

class QDBusMessage;

namespace zn {

class PortalHotkeys : public QObject, public DesktopHotkeys {
    Q_OBJECT
public:
    // descriptions: what the desktop shows for each id in its shortcut settings.
    PortalHotkeys(QDBusConnection bus, std::map<int, std::string> descriptions,
                  QObject* parent = nullptr);
    ~PortalHotkeys() override;

    bool registerHotkey(int id, unsigned modifiers, unsigned keyCode) override;
    void unregisterHotkey(int id) override;
    void deliverTo(std::function<void(int id)> onHotkey) override;

private slots:
    void onActivated(const QDBusMessage& signal);
    void onResponse(const QDBusMessage& signal);

private:
    enum class Pending { None, CreateSession, BindShortcuts };

    void askForInterface();
    void bindAll();
    void closeSession();
    QString nextToken();
    QString requestPath(const QString& token) const;
    // Calls a method that answers through a Request object's Response.
    void startRequest(const QString& method, const QList<QVariant>& arguments, const QString& token,
                      Pending kind);
    void watchRequest(const QString& path);
    void stopWatchingRequest();
    void requestFinished(Pending kind, unsigned response, const QVariantMap& results);
    void bindShortcuts();

    QDBusConnection bus_;
    std::map<int, std::string> descriptions_;
    std::function<void(int id)> onHotkey_;
    std::map<int, QString> triggers_;  // id -> preferred trigger
    QTimer bindSoon_;
    bool interfaceOffered_ = false;
    unsigned tokenCount_ = 0;
    QString session_;         // the session whose activations count; "" for none
    QString watchedRequest_;  // the Request object whose Response is awaited
    Pending pending_ = Pending::None;
    bool rebindWanted_ = false;  // a change came while a request was out
};

}  // namespace zn
