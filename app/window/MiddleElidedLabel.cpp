#include "window/MiddleElidedLabel.hpp"

#include <QPainter>
#include <QStyle>
#include <QTextOption>

namespace kelvane::app {

MiddleElidedLabel::MiddleElidedLabel(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void MiddleElidedLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    setToolTip(text);
    updateGeometry();
    update();
}

void MiddleElidedLabel::setTextRole(QPalette::ColorRole role) {
    role_ = role;
    update();
}

void MiddleElidedLabel::setAlignment(Qt::Alignment horizontal) {
    alignment_ = horizontal & Qt::AlignHorizontal_Mask;
    update();
}

void MiddleElidedLabel::setReadsLeftToRight(bool leftToRight) {
    readsLeftToRight_ = leftToRight;
    update();
}

QString MiddleElidedLabel::displayedText() const {
    return fontMetrics().elidedText(text_, Qt::ElideMiddle, width());
}

QSize MiddleElidedLabel::sizeHint() const {
    return {fontMetrics().horizontalAdvance(text_), fontMetrics().height()};
}

QSize MiddleElidedLabel::minimumSizeHint() const {
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3, fontMetrics().height()};
}

void MiddleElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(role_));
    QTextOption option(QStyle::visualAlignment(layoutDirection(), alignment_) | Qt::AlignAbsolute |
                       Qt::AlignVCenter);
    option.setTextDirection(readsLeftToRight_ ? Qt::LeftToRight : layoutDirection());
    option.setWrapMode(QTextOption::NoWrap);
    painter.drawText(QRectF(rect()), displayedText(), option);
}

}  // namespace kelvane::app
