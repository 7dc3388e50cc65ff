#include "window/ChipButton.hpp"

#include <QPainter>
#include <QPainterPath>

#include "window/SheetFonts.hpp"

namespace kelvane::app {

ChipButton::ChipButton(const QString& text, Look look, QWidget* parent)
    : QAbstractButton(parent), look_(look) {
    setText(text);
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::TabFocus);
}

QFont ChipButton::fontFor(bool selected) const {
    return SheetFonts::sized(look_.pointSize, selected ? look_.selectedWeight : look_.normalWeight);
}

QSize ChipButton::sizeHint() const {
    // Wide enough for the bold form, so selecting a chip never changes the layout.
    const QFontMetrics metrics(fontFor(true));
    return {metrics.horizontalAdvance(text()) + 16, metrics.height() + 2 * look_.verticalPadding};
}

void ChipButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool selected = isChecked();
    QColor fill = palette().color(selected ? QPalette::Highlight : QPalette::WindowText);
    if (!selected) fill.setAlphaF(0.07F);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), look_.cornerRadius,
                         look_.cornerRadius);
    painter.fillPath(shape, fill);
    if (hasFocus()) {
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.6F);
        painter.setPen(QPen(ring, 1.5));
        painter.drawPath(shape);
    }
    painter.setFont(fontFor(selected));
    painter.setPen(selected ? QColor(Qt::white) : palette().color(QPalette::WindowText));
    painter.drawText(rect(), Qt::AlignCenter, text());
}

}  // namespace kelvane::app
