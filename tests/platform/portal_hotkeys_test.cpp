// Hotkeys on Wayland: the trigger texts offered to the desktop, and the
// portal port against a fake portal frontend on a private session bus.
#include "platform/qt/portal_hotkeys.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/shortcut_text.h"
#include "platform/linux/portal_trigger.h"
#include "platform/linux/session_type.h"
#include "platform/qt/portal_shortcut.h"
#include "tests/fakes/qt_application_test.h"

namespace zn {
namespace {

TEST(PortalTrigger, StoredHotkeysBecomeTheShortcutServicesTriggers) {
    struct Case {
        unsigned modifiers;
        unsigned virtualKey;
        const char* trigger;
    };
    const Case cases[] = {
        {kModControl | kModAlt, 'P', "CTRL+ALT+p"},  // small letters: "P" would mean Shift
        {kModShift | kModControl | kModAlt, 'B', "SHIFT+CTRL+ALT+b"},
        {kModAlt, '7', "ALT+7"},
        {kModControl, 0x67, "CTRL+KP_7"},
        {kModShift, 0x74, "SHIFT+F5"},
        {kModControl | kModAlt, 0x87, "CTRL+ALT+F24"},
        {kModAlt, 0x2D, "ALT+Insert"},
        {kModAlt, 0x21, "ALT+Page_Up"},
        {kModAlt, 0x0D, "ALT+Return"},
        {kModControl, 0x20, "CTRL+space"},
        {kModControl | kModAlt, 0xBA, "CTRL+ALT+semicolon"},
        {kModControl | kModAlt, 0xDE, "CTRL+ALT+apostrophe"},
        {0, 'Q', "q"},
        // Nothing a desktop could bind: refused like a key that cannot be grabbed.
        {kModControl, 0x5B, ""},  // the Windows key
        {kModControl | 8, 'P', ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trigger);
        EXPECT_EQ(portalTrigger(c.modifiers, c.virtualKey), c.trigger);
    }
}

TEST(SessionType, WaylandIsTheCompositorsSocketOrTheSessionsType) {
    EXPECT_TRUE(isWaylandSession("wayland-0", nullptr));
    EXPECT_TRUE(isWaylandSession(nullptr, "wayland"));
    EXPECT_TRUE(isWaylandSession("wayland-1", "x11"));
    EXPECT_FALSE(isWaylandSession("", "x11"));
    EXPECT_FALSE(isWaylandSession(nullptr, "tty"));
    EXPECT_FALSE(isWaylandSession(nullptr, nullptr));
}

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// The portal frontend as a client sees it: answers through Request objects,
// records what it was asked.
class FakePortal : public QDBusVirtualObject {
public:
    struct Bind {
        QString session;
        std::vector<std::pair<QString, QString>> triggers;  // id, preferred trigger
    };

    bool offersInterface = true;
    unsigned createResponse = 0;
    int questions = 0;  // about the interface
    int createCalls = 0;
    std::vector<QString> sessions;
    std::vector<Bind> binds;
    std::vector<QString> closed;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& bus) override {
        const QList<QVariant> arguments = message.arguments();
        const QString member = message.member();
        if (member == QLatin1String("Get")) {
            ++questions;
            if (!offersInterface || arguments.value(0).toString() != kShortcutsInterface) {
                bus.send(message.createErrorReply(QDBusError::UnknownInterface,
                                                  QStringLiteral("no such interface")));
            } else {
                bus.send(message.createReply(QVariant::fromValue(QDBusVariant(1u))));
            }
            return true;
        }
        if (member == QLatin1String("Close")) {
            closed.push_back(message.path());
            bus.send(message.createReply());
            return true;
        }
        if (member == QLatin1String("CreateSession")) {
            ++createCalls;
            const QVariantMap options = qdbus_cast<QVariantMap>(arguments.value(0));
            const QString session = pathFor(QStringLiteral("session"), message.service(),
                                            options.value(QStringLiteral("session_handle_token")));
            if (createResponse == 0) sessions.push_back(session);
            // The frontend names the session even when the desktop refused it.
            answer(bus, message, options, QVariantMap{{QStringLiteral("session_handle"), session}},
                   createResponse);
            return true;
        }
        if (member == QLatin1String("BindShortcuts")) {
            PortalShortcuts shortcuts;
            arguments.value(1).value<QDBusArgument>() >> shortcuts;
            Bind bind{arguments.value(0).value<QDBusObjectPath>().path(), {}};
            for (const PortalShortcut& shortcut : shortcuts)
                bind.triggers.emplace_back(
                    shortcut.id,
                    shortcut.properties.value(QStringLiteral("preferred_trigger")).toString());
            binds.push_back(bind);
            answer(bus, message, qdbus_cast<QVariantMap>(arguments.value(3)), {}, 0);
            return true;
        }
        return false;
    }

private:
    static QString pathFor(const QString& kind, QString sender, const QVariant& token) {
        sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
        return kPortalPath + QLatin1Char('/') + kind + QLatin1Char('/') + sender +
               QLatin1Char('/') + token.toString();
    }

    static void answer(const QDBusConnection& bus, const QDBusMessage& call,
                       const QVariantMap& options, const QVariantMap& results, unsigned response) {
        const QString request = pathFor(QStringLiteral("request"), call.service(),
                                        options.value(QStringLiteral("handle_token")));
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage done = QDBusMessage::createSignal(
            request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        done << response << results;
        bus.send(done);
    }
};

class PortalHotkeysTest : public testing::QtApplicationTest {
protected:
    void SetUp() override {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000))
            GTEST_SKIP() << "no dbus-daemon to run a private session bus";
        const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
        registerPortalShortcutTypes();
        portalBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("portal")));
        clientBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("client")));
        ASSERT_TRUE(portalBus_->isConnected() && clientBus_->isConnected());
        ASSERT_TRUE(
            portalBus_->registerVirtualObject(kPortalPath, &portal_, QDBusConnection::SubPath));
        ASSERT_TRUE(portalBus_->registerService(kPortalService));
    }

    void TearDown() override {
        hotkeys_.reset();
        portalBus_.reset();
        clientBus_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        daemon_.kill();
        daemon_.waitForFinished();
    }

    PortalHotkeys& start() {
        hotkeys_ = std::make_unique<PortalHotkeys>(
            *clientBus_, std::map<int, std::string>{{0, "Show"}, {1, "Capture"}});
        hotkeys_->deliverTo([this](int id) { pressed_.push_back(id); });
        return *hotkeys_;
    }

    // The event loop runs until the condition holds, or gives up after
    // seconds that only a broken port could use up.
    static bool eventually(const std::function<bool()>& condition) {
        QElapsedTimer clock;
        clock.start();
        while (!condition()) {
            if (clock.elapsed() > 5000) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(2);
        }
        return true;
    }

    // Long enough for answers already sent to be handled.
    static void settle() {
        QElapsedTimer clock;
        clock.start();
        eventually([&] { return clock.elapsed() > 100; });
    }

    // The desktop reports a press of shortcut id in that session.
    void activate(const QString& session, const QString& id) {
        QDBusMessage activated = QDBusMessage::createSignal(kPortalPath, kShortcutsInterface,
                                                            QStringLiteral("Activated"));
        activated << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1)
                  << QVariantMap{};
        portalBus_->send(activated);
    }

    // Signals from one sender keep their order: once this press arrived, any
    // sent before it has been handled.
    void activateAndWait(const QString& session, const QString& id, int expectedId) {
        const std::size_t before = pressed_.size();
        activate(session, id);
        ASSERT_TRUE(eventually([&] { return pressed_.size() > before; }));
        EXPECT_EQ(pressed_.back(), expectedId);
    }

    FakePortal portal_;
    std::vector<int> pressed_;
    std::unique_ptr<PortalHotkeys> hotkeys_;

private:
    QProcess daemon_;
    std::unique_ptr<QDBusConnection> portalBus_;
    std::unique_ptr<QDBusConnection> clientBus_;
};

using Triggers = std::vector<std::pair<QString, QString>>;

TEST_F(PortalHotkeysTest, BindsTheStoredHotkeysInOneSessionAndDeliversTheirPresses) {
    PortalHotkeys& hotkeys = start();
    EXPECT_TRUE(hotkeys.registerHotkey(kToggleHotkeyId, kModControl | kModAlt, 'P'));
    EXPECT_TRUE(hotkeys.registerHotkey(kCaptureHotkeyId, kModControl | kModAlt, 'B'));
    ASSERT_TRUE(eventually([&] { return !portal_.binds.empty(); }));
    ASSERT_EQ(portal_.sessions.size(), 1u);
    EXPECT_EQ(portal_.binds[0].session, portal_.sessions[0]);
    EXPECT_EQ(portal_.binds[0].triggers,
              (Triggers{{QStringLiteral("0"), QStringLiteral("CTRL+ALT+p")},
                        {QStringLiteral("1"), QStringLiteral("CTRL+ALT+b")}}));

    activateAndWait(portal_.sessions[0], QStringLiteral("1"), kCaptureHotkeyId);
    // Another program's session, and an id we never bound: no press.
    activate(kPortalPath + QStringLiteral("/session/1_99/other"), QStringLiteral("0"));
    activate(portal_.sessions[0], QStringLiteral("7"));
    activateAndWait(portal_.sessions[0], QStringLiteral("0"), kToggleHotkeyId);
    EXPECT_EQ(pressed_, (std::vector<int>{kCaptureHotkeyId, kToggleHotkeyId}));
}

TEST_F(PortalHotkeysTest, AChangedHotkeyIsBoundAfreshAndTheOldSessionClosed) {
    PortalHotkeys& hotkeys = start();
    hotkeys.registerHotkey(kToggleHotkeyId, kModControl | kModAlt, 'P');
    hotkeys.registerHotkey(kCaptureHotkeyId, kModControl | kModAlt, 'B');
    ASSERT_TRUE(eventually([&] { return portal_.binds.size() == 1; }));
    const QString first = portal_.sessions[0];

    // What the options dialog does with a new toggle key.
    hotkeys.unregisterHotkey(kToggleHotkeyId);
    hotkeys.registerHotkey(kToggleHotkeyId, kModShift | kModAlt, 0x74);
    ASSERT_TRUE(eventually([&] { return portal_.binds.size() == 2; }));
    ASSERT_EQ(portal_.sessions.size(), 2u);
    EXPECT_EQ(portal_.binds[1].session, portal_.sessions[1]);
    EXPECT_EQ(portal_.binds[1].triggers,
              (Triggers{{QStringLiteral("0"), QStringLiteral("SHIFT+ALT+F5")},
                        {QStringLiteral("1"), QStringLiteral("CTRL+ALT+b")}}));
    ASSERT_TRUE(eventually([&] { return !portal_.closed.empty(); }));
    EXPECT_EQ(portal_.closed, std::vector<QString>{first});

    activate(first, QStringLiteral("0"));
    activateAndWait(portal_.sessions[1], QStringLiteral("1"), kCaptureHotkeyId);
    EXPECT_EQ(pressed_, std::vector<int>{kCaptureHotkeyId});
}

TEST_F(PortalHotkeysTest, RefusesOnlyWhatNoDesktopCouldBind) {
    PortalHotkeys& hotkeys = start();
    EXPECT_TRUE(hotkeys.registerHotkey(kToggleHotkeyId, kModControl | kModAlt, 'P'));
    EXPECT_FALSE(hotkeys.registerHotkey(kCaptureHotkeyId, kModControl | kModAlt, 'P'));
    EXPECT_FALSE(hotkeys.registerHotkey(kCaptureHotkeyId, kModControl, 0x5B));
    ASSERT_TRUE(eventually([&] { return !portal_.binds.empty(); }));
    EXPECT_EQ(portal_.binds[0].triggers,
              (Triggers{{QStringLiteral("0"), QStringLiteral("CTRL+ALT+p")}}));
}

// A desktop without the interface, or one that refuses the session: nothing
// is bound and nothing is said; a later change asks again.
TEST_F(PortalHotkeysTest, APortalThatIsMissingOrRefusesIsSilent) {
    portal_.offersInterface = false;
    start().registerHotkey(kToggleHotkeyId, kModControl | kModAlt, 'P');
    ASSERT_TRUE(eventually([&] { return portal_.questions == 1; }));
    settle();
    EXPECT_EQ(portal_.createCalls, 0);

    portal_.offersInterface = true;
    portal_.createResponse = 2;
    PortalHotkeys& hotkeys = start();
    hotkeys.registerHotkey(kToggleHotkeyId, kModControl | kModAlt, 'P');
    ASSERT_TRUE(eventually([&] { return portal_.createCalls == 1; }));
    settle();
    EXPECT_TRUE(portal_.binds.empty());

    portal_.createResponse = 0;
    hotkeys.registerHotkey(kCaptureHotkeyId, kModControl | kModAlt, 'B');
    ASSERT_TRUE(eventually([&] { return !portal_.binds.empty(); }));
    EXPECT_EQ(portal_.binds[0].triggers.size(), 2u);
    EXPECT_TRUE(portal_.closed.empty());  // the refused session never existed
}

}  // namespace
}  // namespace zn
