#include "window/SpinnerWidget.hpp"

#include <QPainter>

#include "window/WindowStyle.hpp"

namespace kelvane::app {

SpinnerWidget::SpinnerWidget(int side, QWidget* parent) : QWidget(parent), side_(side) {
    setFixedSize(side, side);
    timer_.setInterval(80);
    connect(&timer_, &QTimer::timeout, this, [this] {
        angle_ = (angle_ + 30) % 360;
        update();
    });
}

void SpinnerWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = WindowStyle::secondary(palette());
    const double center = side_ / 2.0;
    const double outer = side_ / 2.0 - 1;
    const double inner = outer * 0.45;
    for (int spoke = 0; spoke < 12; ++spoke) {
        const double opacity = 0.15 + 0.85 * ((spoke * 30 + 360 - angle_) % 360) / 360.0;
        QPen pen(WindowStyle::faded(color, 1.0 - opacity + 0.15), std::max(1.5, side_ / 10.0),
                 Qt::SolidLine, Qt::RoundCap);
        painter.setPen(pen);
        painter.save();
        painter.translate(center, center);
        painter.rotate(spoke * 30.0);
        painter.drawLine(QPointF(0, -inner), QPointF(0, -outer));
        painter.restore();
    }
}

void SpinnerWidget::showEvent(QShowEvent* event) {
    timer_.start();
    QWidget::showEvent(event);
}

void SpinnerWidget::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace kelvane::app
