// Light or dark: follows the desktop's colour-scheme setting (read from the desktop portal
// over D-Bus and followed when it changes) or the user's fixed choice from the View menu,
// which is kept in the defaults store.
#pragma once

#include <QObject>
#include <QPalette>
#include <QString>

#include <optional>

#include <QDBusMessage>

namespace kelvane::app {

class AppearanceController final : public QObject {
    Q_OBJECT

public:
    enum class Mode { system, light, dark };
    static constexpr const char* defaultsKey = "com.tessaloom.kelvane.appearance";

    explicit AppearanceController(QObject* parent = nullptr);

    [[nodiscard]] Mode mode() const { return mode_; }
    // Stores the choice and applies it.
    void setMode(Mode mode);
    // Reads the stored choice and, for the system's, asks the portal; call once at start.
    void start();

    [[nodiscard]] static QPalette lightPalette();
    [[nodiscard]] static QPalette darkPalette();
    // The portal's color-scheme value (1 dark, 2 light, 0 no preference) as a scheme.
    [[nodiscard]] static std::optional<bool> prefersDark(unsigned value);
    [[nodiscard]] bool isDarkApplied() const { return darkApplied_; }

signals:
    void modeChanged();

private slots:
    // The portal's SettingChanged(group, key, value) signal.
    void portalSettingChanged(const QDBusMessage& message);

private:
    void applyScheme(std::optional<bool> dark);
    void askPortal();

    Mode mode_ = Mode::system;
    std::optional<bool> systemDark_;
    bool darkApplied_ = false;
    bool listening_ = false;
};

}  // namespace kelvane::app
