#include "window/ProminentButton.hpp"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace kelvane::app {

ProminentButton::ProminentButton(const QString& text, QWidget* parent)
    : QPushButton(QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")), parent) {
    // Return is the sheet's business, not the focused button's.
    setAutoDefault(false);
}

void ProminentButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (isEnabled()) {
        const QColor accent = palette().color(QPalette::Highlight);
        option.palette.setColor(QPalette::Button, accent);
        option.palette.setColor(QPalette::ButtonText, palette().color(QPalette::HighlightedText));
    }
    painter.drawControl(QStyle::CE_PushButton, option);
}

}  // namespace kelvane::app
