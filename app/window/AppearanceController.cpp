#include "window/AppearanceController.hpp"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QDBusVariant>
#include <QStyle>

#include "platform/UserDefaults.hpp"

namespace kelvane::app {

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString kColorSchemeKey = QStringLiteral("color-scheme");

// The portal wraps the value in one variant too many; unwrap until a plain value remains.
QVariant unwrap(QVariant value) {
    while (value.canConvert<QDBusVariant>() &&
           value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        value = value.value<QDBusVariant>().variant();
    }
    return value;
}

}  // namespace

AppearanceController::AppearanceController(QObject* parent) : QObject(parent) {}

std::optional<bool> AppearanceController::prefersDark(unsigned value) {
    if (value == 1) return true;
    if (value == 2) return false;
    return std::nullopt;
}

QPalette AppearanceController::lightPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(246, 246, 247));
    palette.setColor(QPalette::WindowText, QColor(29, 29, 31));
    palette.setColor(QPalette::Base, QColor(255, 255, 255));
    palette.setColor(QPalette::AlternateBase, QColor(244, 245, 247));
    palette.setColor(QPalette::Text, QColor(29, 29, 31));
    palette.setColor(QPalette::Button, QColor(240, 240, 242));
    palette.setColor(QPalette::ButtonText, QColor(29, 29, 31));
    palette.setColor(QPalette::Highlight, QColor(0, 122, 255));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(255, 255, 240));
    palette.setColor(QPalette::ToolTipText, QColor(29, 29, 31));
    palette.setColor(QPalette::PlaceholderText, QColor(29, 29, 31, 150));
    palette.setColor(QPalette::Link, QColor(0, 102, 214));
    palette.setColor(QPalette::Mid, QColor(210, 210, 214));
    palette.setColor(QPalette::Light, Qt::white);
    palette.setColor(QPalette::Dark, QColor(180, 180, 186));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(29, 29, 31, 100));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(29, 29, 31, 100));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(29, 29, 31, 100));
    return palette;
}

QPalette AppearanceController::darkPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(40, 40, 43));
    palette.setColor(QPalette::WindowText, QColor(236, 236, 240));
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::AlternateBase, QColor(38, 38, 41));
    palette.setColor(QPalette::Text, QColor(236, 236, 240));
    palette.setColor(QPalette::Button, QColor(52, 52, 56));
    palette.setColor(QPalette::ButtonText, QColor(236, 236, 240));
    palette.setColor(QPalette::Highlight, QColor(10, 132, 255));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(52, 52, 56));
    palette.setColor(QPalette::ToolTipText, QColor(236, 236, 240));
    palette.setColor(QPalette::PlaceholderText, QColor(236, 236, 240, 150));
    palette.setColor(QPalette::Link, QColor(100, 170, 255));
    palette.setColor(QPalette::Mid, QColor(70, 70, 75));
    palette.setColor(QPalette::Light, QColor(80, 80, 86));
    palette.setColor(QPalette::Dark, QColor(20, 20, 22));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(236, 236, 240, 100));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(236, 236, 240, 100));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(236, 236, 240, 100));
    return palette;
}

void AppearanceController::start() {
    const std::optional<std::string> stored = UserDefaults::standard().string(defaultsKey);
    if (stored == "light") mode_ = Mode::light;
    else if (stored == "dark") mode_ = Mode::dark;
    else mode_ = Mode::system;
    if (mode_ == Mode::system) {
        applyScheme(std::nullopt);
        askPortal();
    } else {
        applyScheme(mode_ == Mode::dark);
    }
}

void AppearanceController::setMode(Mode mode) {
    mode_ = mode;
    const char* stored = mode == Mode::light ? "light" : mode == Mode::dark ? "dark" : "system";
    try {
        UserDefaults::standard().setString(defaultsKey, stored);
    } catch (const std::exception&) {
        // The choice still applies for this run.
    }
    if (mode == Mode::system) {
        applyScheme(systemDark_);
        askPortal();
    } else {
        applyScheme(mode == Mode::dark);
    }
    emit modeChanged();
}

void AppearanceController::applyScheme(std::optional<bool> dark) {
    // No answer from the desktop: keep the light palette of the style, as Qt would.
    const bool useDark = dark.value_or(false);
    darkApplied_ = useDark;
    QApplication::setPalette(useDark ? darkPalette() : lightPalette());
}

void AppearanceController::askPortal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    if (!listening_) {
        // Any sender on the portal's path and interface: the bus routes the portal's signal
        // by its unique name, which the well-known name resolves to only asynchronously.
        listening_ = bus.connect(QString(), kPortalPath, kSettingsInterface,
                                 QStringLiteral("SettingChanged"), this,
                                 SLOT(portalSettingChanged(QDBusMessage)));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                       kSettingsInterface, QStringLiteral("Read"));
    call << kAppearanceGroup << kColorSchemeKey;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
                    return;
                }
                const QVariant value = unwrap(reply.arguments().constFirst());
                bool ok = false;
                const unsigned scheme = value.toUInt(&ok);
                if (!ok) return;
                systemDark_ = prefersDark(scheme);
                if (mode_ == Mode::system) applyScheme(systemDark_);
            });
}

void AppearanceController::portalSettingChanged(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 3 || arguments[0].toString() != kAppearanceGroup ||
        arguments[1].toString() != kColorSchemeKey) {
        return;
    }
    bool ok = false;
    const unsigned scheme = unwrap(arguments[2]).toUInt(&ok);
    if (!ok) return;
    systemDark_ = prefersDark(scheme);
    if (mode_ == Mode::system) applyScheme(systemDark_);
}

}  // namespace kelvane::app
