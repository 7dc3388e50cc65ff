#include "window/SearchField.hpp"

#include <QAction>
#include <QEvent>

#include "SymbolIcon.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

SearchField::SearchField(QWidget* parent) : QLineEdit(parent), symbolAction_(new QAction(this)) {
    setObjectName(QStringLiteral("searchField"));
    setClearButtonEnabled(true);
    // A little under the design size, so the whole placeholder fits the field.
    setFont(WindowStyle::font(10.5));
    addAction(symbolAction_, QLineEdit::LeadingPosition);
    updateSymbol();
}

void SearchField::updateSymbol() {
    symbolAction_->setIcon(
        SymbolIcon::bundledIcon(QStringLiteral("magnifyingglass"), WindowStyle::secondary(palette())));
}

void SearchField::follow(const QString& shown, std::int64_t focusPulse) {
    if (text() != shown) setText(shown);
    if (focusPulse != lastFocusPulse_) {
        lastFocusPulse_ = focusPulse;
        if (window() != nullptr) {
            setFocus(Qt::ShortcutFocusReason);
            selectAll();
        }
    }
}

void SearchField::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) updateSymbol();
    QLineEdit::changeEvent(event);
}

}  // namespace kelvane::app
