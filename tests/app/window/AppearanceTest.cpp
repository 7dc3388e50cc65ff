// Light and dark: the System choice follows the desktop portal's color-scheme (read at start
// and followed when it changes); a fixed choice is kept in the defaults store and ignores the
// portal. A private session bus with a stand-in portal serves the setting.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>

#include "WindowTestSupport.hpp"
#include "platform/UserDefaults.hpp"
#include "window/AppearanceController.hpp"

namespace kelvane::testing {
namespace {

// The portal's Settings interface, answering one color-scheme value.
class StandInPortal final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    unsigned scheme = 1;

public slots:
    QDBusVariant Read(const QString& group, const QString& key) {
        if (group != QLatin1String("org.freedesktop.appearance") ||
            key != QLatin1String("color-scheme")) {
            return {};
        }
        // The portal wraps the value in a second variant.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(QVariant(scheme))));
    }
};

class AppearanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        windowTestApplication();
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        ASSERT_TRUE(bus_.waitForReadyRead(10000)) << "dbus-daemon did not start";
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        // Before anything in this process asks for the session bus.
        qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
        portalBus_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address_, QStringLiteral("stand-in-portal")));
        ASSERT_TRUE(portalBus_->isConnected());
        ASSERT_TRUE(portalBus_->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        ASSERT_TRUE(portalBus_->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                               &portal_, QDBusConnection::ExportAllSlots));
    }

    void TearDown() override {
        if (portalBus_) {
            QDBusConnection::disconnectFromBus(QStringLiteral("stand-in-portal"));
            portalBus_.reset();
        }
        bus_.kill();
        bus_.waitForFinished(5000);
    }

    void announce(unsigned scheme) {
        QDBusMessage changed = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/portal/desktop"),
            QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("SettingChanged"));
        changed << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme")
                << QVariant::fromValue(QDBusVariant(QVariant(scheme)));
        ASSERT_TRUE(portalBus_->send(changed));
    }

    static bool paletteIsDark() {
        return QApplication::palette().color(QPalette::Window).lightness() < 128;
    }

    QProcess bus_;
    QString address_;
    StandInPortal portal_;
    std::unique_ptr<QDBusConnection> portalBus_;
};

TEST_F(AppearanceTest, SystemChoiceFollowsThePortalAndAFixedChoiceIsKept) {
    app::AppearanceController appearance;
    appearance.start();
    EXPECT_EQ(appearance.mode(), app::AppearanceController::Mode::system);
    ASSERT_TRUE(waitUntil([&] { return appearance.isDarkApplied(); }));
    EXPECT_TRUE(paletteIsDark());

    announce(2);
    ASSERT_TRUE(waitUntil([&] { return !appearance.isDarkApplied(); }));
    EXPECT_FALSE(paletteIsDark());
    announce(1);
    ASSERT_TRUE(waitUntil([&] { return appearance.isDarkApplied(); }));

    appearance.setMode(app::AppearanceController::Mode::light);
    EXPECT_FALSE(paletteIsDark());
    EXPECT_EQ(UserDefaults::standard().string(app::AppearanceController::defaultsKey),
              std::optional<std::string>("light"));
    announce(1);
    // A call answered after the signal was sent: once its reply is in, the signal has been
    // handled too (one connection delivers in order), and the fixed choice ignored it.
    QDBusMessage read = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Settings"), QStringLiteral("Read"));
    read << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme");
    QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(read);
    ASSERT_TRUE(waitUntil([&] { return pending.isFinished(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(pending.isError());
    EXPECT_FALSE(appearance.isDarkApplied());
    EXPECT_FALSE(paletteIsDark());

    // A new start reads the stored choice.
    app::AppearanceController restarted;
    restarted.start();
    EXPECT_EQ(restarted.mode(), app::AppearanceController::Mode::light);

    EXPECT_EQ(app::AppearanceController::prefersDark(0), std::nullopt);
    EXPECT_EQ(app::AppearanceController::prefersDark(1), std::optional<bool>(true));
    EXPECT_EQ(app::AppearanceController::prefersDark(2), std::optional<bool>(false));
}

}  // namespace
}  // namespace kelvane::testing

#include "AppearanceTest.moc"
