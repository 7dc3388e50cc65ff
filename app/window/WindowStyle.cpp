#include "window/WindowStyle.hpp"

#include <QFontDatabase>

#include <cmath>

namespace kelvane::app {

namespace {

// Design sizes are logical pixels; Qt font points are 4/3 pixel at 96 dpi, and Linux
// desktops read text about a tenth larger than the layout was drawn for.
constexpr double kPointsPerDesignPoint = 0.82;

}  // namespace

QColor WindowStyle::primary(const QPalette& palette) {
    return palette.color(QPalette::WindowText);
}

QColor WindowStyle::secondary(const QPalette& palette) {
    return faded(primary(palette), isDark(palette) ? 0.62 : 0.6);
}

QColor WindowStyle::tertiary(const QPalette& palette) {
    return faded(primary(palette), isDark(palette) ? 0.42 : 0.38);
}

QColor WindowStyle::accent(const QPalette& palette) {
    return palette.color(QPalette::Highlight);
}

bool WindowStyle::isDark(const QPalette& palette) {
    return palette.color(QPalette::Window).lightnessF() < 0.5F;
}

QColor WindowStyle::faded(QColor color, double opacity) {
    color.setAlphaF(static_cast<float>(static_cast<double>(color.alphaF()) * opacity));
    return color;
}

QColor WindowStyle::green(const QPalette& palette) {
    return isDark(palette) ? QColor(48, 209, 88) : QColor(36, 160, 66);
}
QColor WindowStyle::orange(const QPalette& palette) {
    return isDark(palette) ? QColor(255, 159, 10) : QColor(230, 130, 0);
}
QColor WindowStyle::red(const QPalette& palette) {
    return isDark(palette) ? QColor(255, 69, 58) : QColor(215, 48, 39);
}
QColor WindowStyle::purple(const QPalette& palette) {
    return isDark(palette) ? QColor(191, 90, 242) : QColor(162, 70, 210);
}
QColor WindowStyle::pink(const QPalette& palette) {
    return isDark(palette) ? QColor(255, 55, 95) : QColor(230, 40, 85);
}
QColor WindowStyle::blue(const QPalette& palette) {
    return isDark(palette) ? QColor(10, 132, 255) : QColor(0, 110, 230);
}

QFont WindowStyle::font(double size, QFont::Weight weight) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(size * kPointsPerDesignPoint);
    font.setWeight(weight);
    return font;
}

QFont WindowStyle::monospace(double size) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(size * kPointsPerDesignPoint);
    return font;
}

int WindowStyle::px(double size) {
    return static_cast<int>(std::lround(size));
}

}  // namespace kelvane::app
