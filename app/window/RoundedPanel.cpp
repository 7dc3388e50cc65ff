#include "window/RoundedPanel.hpp"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kelvane::app {

RoundedPanel::RoundedPanel(QPalette::ColorRole role, double opacity, double cornerRadius,
                           QWidget* parent)
    : QWidget(parent), role_(role), opacity_(opacity), cornerRadius_(cornerRadius) {}

RoundedPanel::RoundedPanel(QColor color, double opacity, double cornerRadius, QWidget* parent)
    : QWidget(parent), fixedColor_(color), opacity_(opacity), cornerRadius_(cornerRadius) {}

void RoundedPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = fixedColor_.value_or(palette().color(role_));
    fill.setAlphaF(static_cast<float>(opacity_));
    const QRectF area(rect());
    const double radius =
        cornerRadius_ < 0 ? area.height() / 2 : std::min(cornerRadius_, area.height() / 2);
    QPainterPath shape;
    shape.addRoundedRect(area, radius, radius);
    painter.fillPath(shape, fill);
}

}  // namespace kelvane::app
