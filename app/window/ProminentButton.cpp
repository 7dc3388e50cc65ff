#include "window/ProminentButton.hpp"

#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "window/WindowStyle.hpp"

namespace kelvane::app {

ProminentButton::ProminentButton(const QString& text, QWidget* parent)
    : QPushButton(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), parent) {
    // Return is the sheet's business, not the focused button's.
    setAutoDefault(false);
    // Hover lightens the fill: the button must hear the pointer come and go.
    setAttribute(Qt::WA_Hover);
}

void ProminentButton::paintEvent(QPaintEvent*) {
    if (!isEnabled()) {
        // Disabled, it looks like any other disabled button of the style.
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        painter.drawControl(QStyle::CE_PushButton, option);
        return;
    }
    // The accent drawn as it is: the style's button gradient lightens and greys a button
    // colour, which left white text on a pale blue that was hard to read.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = WindowStyle::accent(palette());
    if (isDown()) {
        fill = fill.darker(118);
    } else if (underMouse()) {
        fill = fill.lighter(108);
    }
    const QRectF box = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(hasFocus() ? QPen(fill.darker(135), 1.5) : Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4, 4);
    painter.setPen(palette().color(QPalette::HighlightedText));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

}  // namespace kelvane::app
