#include "window/PillButton.hpp"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <algorithm>
#include <cmath>

#include "SymbolIcon.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

PillButton::PillButton(QWidget* parent) : QAbstractButton(parent) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
}

void PillButton::setSymbol(const QString& symbolName) {
    symbol_ = symbolName;
    updateGeometry();
    update();
}

void PillButton::setLook(Look look) {
    if (look_ == look) return;
    look_ = look;
    update();
}

void PillButton::setMetrics(const Metrics& metrics) {
    metrics_ = metrics;
    setSizePolicy(metrics.fillWidth ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  QSizePolicy::Fixed);
    updateGeometry();
    update();
}

void PillButton::setSymbolColor(std::optional<QColor> color) {
    symbolColor_ = color;
    update();
}

void PillButton::setTitleWeight(QFont::Weight weight) {
    metrics_.weight = weight;
    updateGeometry();
    update();
}

void PillButton::setDisabledOpacity(double opacity) {
    disabledOpacity_ = opacity;
    update();
}

void PillButton::setCompact(bool compact) {
    if (compact_ == compact) return;
    compact_ = compact && !symbol_.isEmpty();
    setToolTip(compact_ ? text() : QString());
    updateGeometry();
    update();
}

QString PillButton::shownTitle() const { return compact_ ? QString() : text(); }

QFont PillButton::titleFont() const {
    return WindowStyle::font(metrics_.fontSize, metrics_.weight);
}

QSize PillButton::sizeHint() const {
    const QFontMetrics fm(titleFont());
    int width = 2 * metrics_.paddingX;
    const int iconSide = WindowStyle::px(metrics_.iconSize);
    if (!symbol_.isEmpty()) width += iconSide;
    if (!shownTitle().isEmpty()) {
        if (!symbol_.isEmpty()) width += metrics_.spacing;
        width += fm.horizontalAdvance(shownTitle()) + 1;
    }
    int height = metrics_.height;
    if (height == 0) height = std::max(fm.height(), iconSide) + 2 * metrics_.paddingY;
    if (metrics_.fixedWidth > 0) width = metrics_.fixedWidth;
    return {width, height};
}

QSize PillButton::minimumSizeHint() const {
    const QSize hint = sizeHint();
    if (!compact_ && (metrics_.fillWidth || metrics_.minimumScale < 1.0)) {
        return {std::min(hint.width(), 2 * metrics_.paddingX + WindowStyle::px(metrics_.iconSize) +
                                           40),
                hint.height()};
    }
    return hint;
}

QColor PillButton::contentColor() const {
    const QPalette& pal = palette();
    switch (look_) {
        case Look::prominent: return QColor(Qt::white);
        case Look::destructive: return WindowStyle::red(pal);
        case Look::quiet:
        case Look::soft: return WindowStyle::secondary(pal);
        case Look::accentTint:
        case Look::bare:
        case Look::plain:
        case Look::emphasis: return WindowStyle::primary(pal);
    }
    return WindowStyle::primary(pal);
}

void PillButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(disabledOpacity_);
    const QPalette& pal = palette();
    const QColor primary = WindowStyle::primary(pal);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = metrics_.radius < 0 ? box.height() / 2 : metrics_.radius;

    QColor fill = Qt::transparent;
    QColor border = Qt::transparent;
    switch (look_) {
        case Look::prominent: fill = WindowStyle::accent(pal); break;
        case Look::plain:
        case Look::destructive:
            fill = WindowStyle::faded(primary, 0.07);
            if (metrics_.border) border = WindowStyle::faded(primary, 0.11);
            break;
        case Look::soft: fill = WindowStyle::faded(primary, 0.06); break;
        case Look::emphasis: fill = WindowStyle::faded(primary, 0.08); break;
        case Look::accentTint: fill = WindowStyle::faded(WindowStyle::accent(pal), 0.14); break;
        case Look::quiet:
        case Look::bare: break;
    }
    if (isDown()) fill = fill.alpha() == 0 ? WindowStyle::faded(primary, 0.08) : fill.darker(115);
    else if (underMouse() && isEnabled() && look_ != Look::prominent)
        fill = fill.alpha() == 0 ? WindowStyle::faded(primary, 0.05)
                                 : WindowStyle::faded(primary, static_cast<double>(fill.alphaF()) + 0.04);
    if (fill.alpha() > 0 || border.alpha() > 0) {
        painter.setPen(border.alpha() > 0 ? QPen(border, 0.75) : Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(box, radius, radius);
    }

    const QColor content = contentColor();
    const int iconSide = WindowStyle::px(metrics_.iconSize);
    const QFont font = titleFont();
    const QFontMetrics fm(font);
    const QString title = shownTitle();
    const int textWidth = title.isEmpty() ? 0 : fm.horizontalAdvance(title);
    int contentWidth = (symbol_.isEmpty() ? 0 : iconSide) +
                       (textWidth > 0 && !symbol_.isEmpty() ? metrics_.spacing : 0) + textWidth;
    const int available = width() - 2 * metrics_.paddingX;
    QFont drawnFont = font;
    QString shown = title;
    bool showSymbol = !symbol_.isEmpty();
    if (contentWidth > available && textWidth > 0 && showSymbol) {
        // A narrow button keeps its words and gives up the symbol first.
        showSymbol = false;
        contentWidth = textWidth;
    }
    if (contentWidth > available && textWidth > 0) {
        const int room = available - (showSymbol ? iconSide + metrics_.spacing : 0);
        const double scale =
            std::max(metrics_.minimumScale, static_cast<double>(room) / textWidth);
        if (scale < 1.0) drawnFont.setPointSizeF(font.pointSizeF() * scale);
        shown = QFontMetrics(drawnFont).elidedText(title, Qt::ElideMiddle, std::max(room, 0));
        contentWidth = available;
    }
    int x = metrics_.leading ? metrics_.paddingX
                             : std::max(metrics_.paddingX, (width() - contentWidth) / 2);
    // Placed left to right, then mirrored in a right-to-left layout: the symbol leads.
    const auto place = [this](const QRect& logical) {
        return QStyle::visualRect(layoutDirection(), rect(), logical);
    };
    if (showSymbol) {
        const QColor tint = symbolColor_.value_or(content);
        const QIcon icon = SymbolIcon::bundledIcon(symbol_, tint);
        icon.paint(&painter, place(QRect(x, (height() - iconSide) / 2, iconSide, iconSide)));
        x += iconSide + metrics_.spacing;
    }
    if (!shown.isEmpty()) {
        painter.setFont(drawnFont);
        painter.setPen(content);
        // Left means the leading edge here: the painter follows the layout direction.
        painter.drawText(place(QRect(x, 0, width() - x - metrics_.paddingX + 1, height())),
                         Qt::AlignVCenter | Qt::AlignLeft, shown);
    }
}

void PillButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange) {
        update();
    }
    QAbstractButton::changeEvent(event);
}

}  // namespace kelvane::app
