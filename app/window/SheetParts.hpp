// Small building blocks the sheets repeat: the header label with its icon, a divider and
// the button row's buttons.
#pragma once

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "window/SheetFonts.hpp"
#include "window/SheetSymbolIcon.hpp"

namespace kelvane::app {

struct SheetParts final {
    // An icon followed by the title in the headline font; returns the title label.
    static QLabel* addHeaderLabel(QHBoxLayout* row, const QString& symbol, const QString& title,
                                  QWidget* parent) {
        auto* icon = new QLabel(parent);
        const int size = QFontMetrics(SheetFonts::headline()).height();
        icon->setPixmap(SheetSymbolIcon::icon(symbol).pixmap(size, size));
        row->addWidget(icon);
        auto* label = new QLabel(title, parent);
        label->setFont(SheetFonts::headline());
        row->addWidget(label);
        return label;
    }

    // The password prompts' lock, half as tall again as the headline.
    static QLabel* lockIcon(QWidget* parent) {
        auto* icon = new QLabel(parent);
        const int size = QFontMetrics(SheetFonts::headline()).height() * 3 / 2;
        icon->setPixmap(
            SheetSymbolIcon::icon(QStringLiteral("lock.shield.fill")).pixmap(size, size));
        return icon;
    }

    static QFrame* divider(QWidget* parent) {
        auto* line = new QFrame(parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }

    // A text shown as written on a button or check box: "&" there marks a shortcut key.
    [[nodiscard]] static QString literal(QString text) {
        return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    }

    // A button that leaves Return to the sheet.
    static QPushButton* plainButton(const QString& text, QWidget* parent) {
        auto* button = new QPushButton(literal(text), parent);
        button->setAutoDefault(false);
        return button;
    }
};

}  // namespace kelvane::app
