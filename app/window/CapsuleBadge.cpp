#include "window/CapsuleBadge.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include "window/SheetFonts.hpp"

namespace kelvane::app {

CapsuleBadge::CapsuleBadge(QFont::Weight weight, int horizontalPadding, int verticalPadding,
                           QWidget* parent)
    : RoundedPanel(QPalette::Highlight, 0.16, kCapsule, parent), label_(new QLabel(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(horizontalPadding, verticalPadding, horizontalPadding,
                               verticalPadding);
    layout->addWidget(label_);
    label_->setFont(SheetFonts::caption(weight));
    applyColour();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void CapsuleBadge::setText(const QString& text) {
    label_->setText(text);
}

QString CapsuleBadge::text() const {
    return label_->text();
}

void CapsuleBadge::changeEvent(QEvent* event) {
    RoundedPanel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColour();
}

void CapsuleBadge::applyColour() {
    QPalette colours = label_->palette();
    colours.setColor(QPalette::WindowText, palette().color(QPalette::Highlight));
    label_->setPalette(colours);
}

}  // namespace kelvane::app
