// The window's colours and type sizes, all derived from the current palette so that every
// custom-painted piece follows the light or dark appearance when the palette changes.
#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QString>

#include <string>
#include <string_view>

namespace kelvane::app {

class WindowStyle final {
public:
    WindowStyle() = delete;

    // The text colour of the palette ("primary").
    [[nodiscard]] static QColor primary(const QPalette& palette);
    [[nodiscard]] static QColor secondary(const QPalette& palette);
    [[nodiscard]] static QColor tertiary(const QPalette& palette);
    [[nodiscard]] static QColor accent(const QPalette& palette);
    [[nodiscard]] static bool isDark(const QPalette& palette);
    // `color` at `opacity` (0 to 1).
    [[nodiscard]] static QColor faded(QColor color, double opacity);

    // System colours, slightly brighter in the dark appearance.
    [[nodiscard]] static QColor green(const QPalette& palette);
    [[nodiscard]] static QColor orange(const QPalette& palette);
    [[nodiscard]] static QColor red(const QPalette& palette);
    [[nodiscard]] static QColor purple(const QPalette& palette);
    [[nodiscard]] static QColor pink(const QPalette& palette);
    [[nodiscard]] static QColor blue(const QPalette& palette);

    // A font of `size` design points (the sizes the layout is drawn in) and `weight`.
    [[nodiscard]] static QFont font(double size, QFont::Weight weight = QFont::Normal);
    [[nodiscard]] static QFont monospace(double size);
    // Design points to device-independent pixels.
    [[nodiscard]] static int px(double size);
};

// A UTF-8 text from the core as a QString.
[[nodiscard]] inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kelvane::app
