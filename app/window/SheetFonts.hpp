// The few text styles the sheets use, derived from the application font so they follow
// the desktop's size setting: headline, callout, caption and a monospaced caption.
#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>

namespace kelvane::app {

struct SheetFonts final {
    [[nodiscard]] static QFont headline() {
        QFont font = QGuiApplication::font();
        font.setWeight(QFont::DemiBold);
        return font;
    }
    [[nodiscard]] static QFont callout() { return scaled(QGuiApplication::font(), 0.94); }
    [[nodiscard]] static QFont caption(QFont::Weight weight = QFont::Normal) {
        QFont font = scaled(QGuiApplication::font(), 0.86);
        font.setWeight(weight);
        return font;
    }
    [[nodiscard]] static QFont monospacedCaption() {
        return scaled(QFontDatabase::systemFont(QFontDatabase::FixedFont),
                      0.86 * QGuiApplication::font().pointSizeF() /
                          QFontDatabase::systemFont(QFontDatabase::FixedFont).pointSizeF());
    }
    // The chips' sizes are given against a 13-point body text; scaled to the desktop's.
    [[nodiscard]] static QFont sized(double points, QFont::Weight weight) {
        QFont font = QGuiApplication::font();
        if (font.pointSizeF() > 0) font.setPointSizeF(points * font.pointSizeF() / 13.0);
        font.setWeight(weight);
        return font;
    }

private:
    [[nodiscard]] static QFont scaled(QFont font, double factor) {
        if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * factor);
        return font;
    }
};

}  // namespace kelvane::app
